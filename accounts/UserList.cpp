// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserList.h"

#include "CodePage.h"
#include "FileLock.h"
#include "FileRead.h"
#include "FileWrite.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "Paths.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>

const QByteArray UserList::FileName = QByteArrayLiteral("users");

namespace {

QString listPath()
{
    return Paths::resolve(UserList::FileName);
}

// Where the list is written: inside the course folder only.
QString writePath()
{
    return FolderBounds::recordPath(listPath());
}

QList<QByteArray> split(const QByteArray &data)
{
    QList<QByteArray> names;
    qsizetype start = 0;
    const qsizetype n = data.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        names.append(data.mid(start, end - start));
        if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return names;
}

QByteArray join(const QList<QByteArray> &names)
{
    QByteArray out;
    for (const QByteArray &name : names)
        out += name + "\r\n";
    return out;
}

// Throws the list's refusal for a read that failed; a link out of the
// course folder is refused in words that say where it leads.
void refuseRead(const QString &path, int error)
{
    if (error == EXDEV)
        FolderBounds::readPath(path);
    if (error != 0)
        throw IoError::cannotOpen(
            path, IoError::reason(error == EIO ? EIO : TextFile::diagnose(path, false)));
}

QList<QByteArray> loadFrom(const QString &path)
{
    QByteArray data;
    refuseRead(path, QFileInfo(path).isDir() ? EISDIR : FileRead::read(path, &data));
    return split(data);
}

// The list as it is on disk, under its lock, for a change: a list that is
// missing is empty only when no replacement's new list waits beside it.
QList<QByteArray> loadForUpdate(const QString &path)
{
    if (FileWrite::recover(path) != 0)
        throw IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
    QByteArray data;
    const int error = FileRead::read(path, &data);
    if (error == ENOENT)
        return QList<QByteArray>();
    refuseRead(path, error);
    return split(data);
}

void saveTo(const QString &path, const QList<QByteArray> &names)
{
    try {
        TextFile::replace(path, join(names));
    } catch (const RuntimeError &e) {
        // The reason the replacement gave after its first line (who holds
        // the file) goes with the list's own words.
        const RuntimeError refused =
            IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
        const qsizetype reason = e.message().indexOf(QLatin1Char('\n'));
        throw reason < 0 ? refused : RuntimeError(refused.message() + e.message().mid(reason));
    }
}

// The lock beside the list is part of writing it: a folder that refuses the
// lock refuses the list, in the words of a list that cannot be created.
std::unique_ptr<FileLock> lockList(const QString &path)
{
    try {
        return std::make_unique<FileLock>(path);
    } catch (const FileLock::Refused &e) {
        const RuntimeError refused =
            IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
        throw e.reason().isEmpty()
            ? refused
            : RuntimeError(refused.message() + QLatin1Char('\n') + e.reason());
    }
}

} // namespace

UserList::Lock::Lock() : m_lock(lockList(writePath())) {}

UserList::Lock::~Lock() = default;

void UserList::checkWritable()
{
    const QString path = writePath();
    if (!TextFile::canReplace(path))
        throw IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
}

bool UserList::exists()
{
    // A list being replaced on a share is missing for a moment, its new
    // version beside it.
    return QFileInfo::exists(listPath()) || QFileInfo(FileWrite::sideName(listPath())).isFile();
}

QList<QByteArray> UserList::load()
{
    return loadFrom(listPath());
}

void UserList::save(const QList<QByteArray> &names)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    saveTo(path, names);
}

QList<QByteArray> UserList::add(const QByteArray &name)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    QList<QByteArray> names = loadForUpdate(path);
    names.append(name);
    saveTo(path, names);
    return names;
}

QList<QByteArray> UserList::remove(const QByteArray &name)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    QList<QByteArray> names = loadForUpdate(path);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (CodePage::equalsIgnoreCase(names[i], name)) {
            names.removeAt(i);
            break;
        }
    }
    saveTo(path, names);
    return names;
}
