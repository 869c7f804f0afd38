// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniProfile.h"

#include "FileLock.h"
#include "FileRead.h"
#include "FileWrite.h"
#include "IniDocument.h"
#include "IoError.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

QByteArray cut(QByteArray value)
{
    if (value.size() > IniProfile::MaxValueLength)
        value.truncate(IniProfile::MaxValueLength);
    return value;
}

bool readAll(const QString &path, QByteArray *data)
{
    return FileRead::read(path, data) == 0;
}

void refuseUnwritable(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() || !QFileInfo(info.path()).isDir())
        throw IoError::unableToWrite(path);
    if (info.exists() && TextFile::isReadOnly(path))
        throw IoError::unableToWrite(path);
}

// Reads the file as it is now on disk, under its lock; a missing file is an
// empty one only when no replacement's new file waits beside it, and a file
// that cannot be read is never taken for a missing one.
QByteArray readForUpdate(const QString &path, bool *existed)
{
    QByteArray data;
    if (FileWrite::recover(path) != 0)
        throw IoError::unableToWrite(path);
    const int error = FileRead::read(path, &data);
    if (error != 0 && error != ENOENT)
        throw IoError::unableToWrite(path);
    *existed = error == 0;
    return data;
}

void save(const QString &path, const QByteArray &data)
{
    if (const int error = FileWrite::replace(path, data); error != 0)
        throw FileLock::Refused(path, FileWrite::refusalReason(path, error));
}

} // namespace

QByteArray IniProfile::read(const QString &path, const QByteArray &section, const QByteArray &key,
                            const QByteArray &defaultValue)
{
    QByteArray data;
    QByteArray value;
    if (!readAll(path, &data) || !IniDocument::find(data, section, key, &value))
        return cut(defaultValue);
    return cut(std::move(value));
}

void IniProfile::write(const QString &path, const QByteArray &section, const QByteArray &key,
                       const QByteArray &value)
{
    writeMany(path, {{section, key, value}});
}

void IniProfile::writeMany(const QString &path, const QList<Entry> &entries)
{
    if (entries.isEmpty())
        return;
    for (const Entry &e : entries) {
        if (!IniDocument::canStore(e.section, e.key, e.value))
            throw IoError::unableToWrite(path);
    }
    refuseUnwritable(path);
    const FileLock lock(path);
    bool existed = false;
    IniDocument document(readForUpdate(path, &existed));
    for (const Entry &e : entries)
        document.setValue(e.section, e.key, e.value);
    if (existed && !document.isModified())
        return;
    save(path, document.toByteArray());
}

void IniProfile::eraseSection(const QString &path, const QByteArray &section)
{
    if (QFileInfo(path).isDir())
        throw IoError::unableToWrite(path);
    if (!QFileInfo::exists(path) && !QFileInfo::exists(FileWrite::sideName(path)))
        return;
    const FileLock lock(path);
    bool existed = false;
    IniDocument document(readForUpdate(path, &existed));
    if (!existed || !document.removeSection(section))
        return;
    if (TextFile::isReadOnly(path))
        throw IoError::unableToWrite(path);
    save(path, document.toByteArray());
}

void IniProfile::checkWritable(const QString &path)
{
    refuseUnwritable(path);
    if (!QFileInfo(QFileInfo(path).path()).isWritable())
        throw IoError::unableToWrite(path);
}

bool IniProfile::hasSection(const QString &path, const QByteArray &section)
{
    QByteArray data;
    return readAll(path, &data) && IniDocument::containsSection(data, section);
}
