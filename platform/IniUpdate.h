// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileLock.h"
#include "IniProfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A change of an INI file read once under its lock: the caller checks the
// bytes as they stand, then writes its entries over them in one replacement,
// as IniProfile::writeMany does, while no other copy can change the file. On
// a share each read is a round trip that other copies wait for.
class IniUpdate
{
public:
    // Takes the file's lock and reads the file as it is on disk now; a
    // missing file is an empty one only when no replacement's new file waits
    // beside it. A file that cannot be read throws "Unable to write to %s".
    explicit IniUpdate(const QString &path);

    const QByteArray &bytes() const { return m_bytes; }
    bool existed() const { return m_existed; }

    // The entries applied in order over the bytes read and the file replaced,
    // unless it was there and nothing changed. Refused as writeMany refuses.
    void write(const QList<IniProfile::Entry> &entries);

    // What a write refuses before it takes the lock: entries the file
    // cannot hold, a folder or a read-only file in its place.
    static void refuseUnwritable(const QString &path, const QList<IniProfile::Entry> &entries);
    // The file's bytes under its lock, held by the caller; see above.
    static QByteArray readLocked(const QString &path, bool *existed);
    // The file replaced whole; a refusal names who holds it.
    static void save(const QString &path, const QByteArray &data);

private:
    QString m_path;
    FileLock m_lock;
    // Before the bytes: their read sets it.
    bool m_existed = false;
    QByteArray m_bytes;
};
