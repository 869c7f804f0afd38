// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RuntimeError.h"

#include <QString>

// A cross-process lock beside a file ("name.lock"), held for the lifetime of
// the object. A lock left by a process that died is taken over. Throws
// Refused, "Unable to write to %s" (the file's path) and the reason in the
// user's words, when the lock cannot be had, so a write that cannot be made
// safe is refused rather than risked.
//
// Re-entrant within the process: a FileLock for a path the process already
// holds succeeds at once and only the outermost one releases. So a command
// that must check and write under one hold (a registration) takes the lock
// first and the writes it calls take it again. Whoever holds two locks takes
// them in one order everywhere: users.ini before users.
//
// The lock is a folder made only if absent, holding a file "holder" that
// names its holder's process, host and a token of this hold; the holder keeps
// that file open while it holds the lock.
// Copies on one machine see at once whether the holder still runs; a holder
// on another machine cannot be asked, so its lock counts as left behind only
// once it is older than the stale time, and where the folder is a network
// share the server's refusal to remove a file still open keeps even an older
// lock of a running holder. A holder on this machine whose process number
// now belongs to another program, and a holder dated in the future, are gone
// as well; whatever else was left inside a lock goes with it.
//
// A lock of a record lies where the record may be written (FolderBounds): a
// link or ".." that leads its path out of the course folder is refused as
// the record's write is, and each operation on the lock and its holder names
// its entry in the lock's folder, opened once, never following a link.
class FileLock
{
public:
    class Refused : public RuntimeError
    {
    public:
        Refused(const QString &path, const QString &reason);
        // Who holds the lock and since when, or what stands in its place;
        // empty when the refusal came from the folder itself.
        const QString &reason() const { return m_reason; }

    private:
        QString m_reason;
    };

    explicit FileLock(const QString &path);
    ~FileLock();

    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // A lock older than this whose holder cannot be asked is taken over.
    static constexpr int StaleAfterMs = 60000;
    // How long a writer waits for the lock before its write is refused.
    static constexpr int WaitMs = 20000;

    static QString lockPath(const QString &path);

    // What stands at a lock's path in the user's words: the holder's program,
    // host, process and since when; empty when there is no lock.
    static QString describe(const QString &lock);
    // Removes a lock whatever its holder, with what is inside it. 0 or the
    // system's error.
    static int clear(const QString &lock);

private:
    // Opens the folder the lock lies in once, through the course folder's
    // bounds; every operation of the lock is made relative to it.
    void openFolder(const QString &path);
    [[noreturn]] void refuse(const Refused &refusal);

    QString m_path;
    QByteArray m_name;
    int m_folder = -1;
    int m_fd = -1;
    bool m_outermost = false;
};
