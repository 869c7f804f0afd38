// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniProfile.h"

#include "FileLock.h"
#include "FileRead.h"
#include "FileWrite.h"
#include "IniDocument.h"
#include "IniUpdate.h"
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
    IniUpdate::refuseUnwritable(path, entries);
    IniUpdate(path).write(entries);
}

void IniProfile::eraseSection(const QString &path, const QByteArray &section)
{
    if (QFileInfo(path).isDir())
        throw IoError::unableToWrite(path);
    if (!QFileInfo::exists(path) && !QFileInfo::exists(FileWrite::sideName(path)))
        return;
    const FileLock lock(path);
    bool existed = false;
    IniDocument document(IniUpdate::readLocked(path, &existed));
    if (!existed || !document.removeSection(section))
        return;
    if (TextFile::isReadOnly(path))
        throw IoError::unableToWrite(path);
    IniUpdate::save(path, document.toByteArray());
}

void IniProfile::checkWritable(const QString &path)
{
    IniUpdate::refuseUnwritable(path, {});
    if (!QFileInfo(QFileInfo(path).path()).isWritable())
        throw IoError::unableToWrite(path);
}

bool IniProfile::hasSection(const QString &path, const QByteArray &section)
{
    QByteArray data;
    return readAll(path, &data) && IniDocument::containsSection(data, section);
}
