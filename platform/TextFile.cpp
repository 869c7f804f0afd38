// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextFile.h"

#include "FileLock.h"
#include "FileRead.h"
#include "FileWrite.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "RuntimeError.h"

#include <QFileInfo>
#include <cerrno>
#include <optional>

namespace {

bool isFull(int error)
{
    return error == ENOSPC || error == EDQUOT;
}

RuntimeError withReason(const RuntimeError &error, const QString &reason)
{
    return reason.isEmpty() ? error : RuntimeError(error.message() + QLatin1Char('\n') + reason);
}

} // namespace

bool TextFile::isReadOnly(const QString &path)
{
    // A file another account of the class made is replaced through its
    // folder, not written in place: whether this account may write the file
    // itself says nothing.
    const QFileInfo info(path);
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.exists() && !(info.permissions() & anyWrite);
}

bool TextFile::canReplace(const QString &path)
{
    const QFileInfo info(path);
    const QFileInfo dir(info.path());
    return dir.isDir() && dir.isWritable() && !info.isDir() &&
           (!info.exists() || !isReadOnly(path));
}

int TextFile::diagnose(const QString &path, bool writing)
{
    const QFileInfo info(path);
    const QFileInfo dir(info.path());
    if (!dir.exists())
        return ENOENT;
    if (!dir.isDir())
        return ENOTDIR;
    if (info.isDir())
        return EISDIR;
    // Files are replaced through a new file beside them, which the folder
    // must allow.
    if (writing && !dir.isWritable())
        return EACCES;
    if (!info.exists())
        return writing ? EACCES : ENOENT;
    if (writing ? isReadOnly(path) || !info.isWritable() : !info.isReadable())
        return EACCES;
    return EIO;
}

QByteArray TextFile::read(const QString &path)
{
    QByteArray data;
    if (QFileInfo(path).isDir())
        throw IoError::inOut(path, diagnose(path, false));
    if (const int error = FileRead::read(path, &data); error != 0) {
        // A link out of the course folder: the refusal says where it leads.
        if (error == EXDEV)
            FolderBounds::readPath(path);
        throw IoError::inOut(path, error == EIO ? EIO : diagnose(path, false));
    }
    return data;
}

void TextFile::replace(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    // The replacement would otherwise go through a read-only file.
    if (info.isDir() || (info.exists() && isReadOnly(path)))
        throw IoError::inOut(path, diagnose(path, true));
    std::optional<FileLock> lock;
    try {
        lock.emplace(path);
    } catch (const FileLock::Refused &e) {
        throw withReason(IoError::inOut(path, diagnose(path, true)), e.reason());
    }
    if (const int error = FileWrite::replace(path, data); error != 0)
        throw withReason(IoError::inOut(path, isFull(error) ? error : diagnose(path, true)),
                         FileWrite::refusalReason(path, error));
}

void TextFile::append(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && isReadOnly(path)))
        throw IoError::inOut(path, diagnose(path, true));
    // Appends of two copies are made one after the other, each at the end the
    // other left. A folder that takes no new files takes no lock either, and
    // no other copy's lock: the file there can only be appended to.
    std::optional<FileLock> lock;
    if (QFileInfo(info.path()).isWritable()) {
        try {
            lock.emplace(path);
        } catch (const FileLock::Refused &e) {
            throw withReason(IoError::inOut(path, diagnose(path, true)), e.reason());
        }
    }
    int error = FileWrite::append(path, data);
    // A log another account made without the group's write bit: appended
    // through a replacement, which the folder allows, and then writable by
    // the class again.
    if (error == EACCES && lock)
        error = FileWrite::appendByReplacing(path, data);
    if (error != 0)
        throw IoError::inOut(path, isFull(error) ? error : diagnose(path, true));
}
