// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniUpdate.h"

#include "FileRead.h"
#include "FileWrite.h"
#include "IniDocument.h"
#include "IoError.h"
#include "TextFile.h"

#include <QFileInfo>
#include <cerrno>

IniUpdate::IniUpdate(const QString &path)
    : m_path(path), m_lock(path), m_bytes(readLocked(path, &m_existed))
{
}

void IniUpdate::write(const QList<IniProfile::Entry> &entries)
{
    if (entries.isEmpty())
        return;
    refuseUnwritable(m_path, entries);
    IniDocument document(m_bytes);
    for (const IniProfile::Entry &e : entries)
        document.setValue(e.section, e.key, e.value);
    if (m_existed && !document.isModified())
        return;
    m_bytes = document.toByteArray();
    save(m_path, m_bytes);
    m_existed = true;
}

void IniUpdate::refuseUnwritable(const QString &path, const QList<IniProfile::Entry> &entries)
{
    for (const IniProfile::Entry &e : entries) {
        if (!IniDocument::canStore(e.section, e.key, e.value))
            throw IoError::unableToWrite(path);
    }
    const QFileInfo info(path);
    if (info.isDir() || !QFileInfo(info.path()).isDir())
        throw IoError::unableToWrite(path);
    if (info.exists() && TextFile::isReadOnly(path))
        throw IoError::unableToWrite(path);
}

// A missing file is an empty one only when no replacement's new file waits
// beside it, and a file that cannot be read is never taken for a missing one.
QByteArray IniUpdate::readLocked(const QString &path, bool *existed)
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

void IniUpdate::save(const QString &path, const QByteArray &data)
{
    if (const int error = FileWrite::replace(path, data); error != 0)
        throw FileLock::Refused(path, FileWrite::refusalReason(path, error));
}
