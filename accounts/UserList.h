// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <memory>

class FileLock;

// The plain list file "users" beside users.ini: one user name a line, in the
// order of registration. Names are Windows-1251 bytes.
class UserList
{
public:
    static const QByteArray FileName; // "users", relative to the current directory

    // The list's lock held for the object's life, for a caller that reads and
    // writes the list with other files under one hold. Refused in the words
    // of a list that cannot be created.
    class Lock
    {
    public:
        Lock();
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        std::unique_ptr<FileLock> m_lock;
    };

    static bool exists();

    // Throws what save() would for a file that cannot be written, without
    // writing anything.
    static void checkWritable();

    // Splits at CR, LF or CR LF. A missing or unreadable file throws
    // RuntimeError "Cannot open file "%s". %s".
    static QList<QByteArray> load();

    // Every name followed by CR LF, replacing the file atomically. Throws
    // "Cannot create file "%s". %s" when it cannot be written.
    static void save(const QList<QByteArray> &names);

    // Change the file under the lock that the INI writes use, reading it as it
    // is on disk at that moment (a missing file is an empty list), and return
    // the list as the file now holds it. So two running copies that each
    // register a user leave both names in the file.
    static QList<QByteArray> add(const QByteArray &name);
    // Removes the first name equal without regard to letter case; the file is
    // saved even when there is none.
    static QList<QByteArray> remove(const QByteArray &name);
};
