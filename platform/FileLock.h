#pragma once

#include <QLockFile>
#include <QString>

// A cross-process lock beside a file ("name.lock"), held for the lifetime of
// the object. A lock left by a process that died is taken over. Throws
// RuntimeError "Unable to write to %s" (the file's path) when the lock cannot
// be had, so a write that cannot be made safe is refused rather than risked.
//
// Re-entrant within the process: a FileLock for a path the process already
// holds succeeds at once and only the outermost one releases. So a command
// that must check and write under one hold (a registration) takes the lock
// first and the writes it calls take it again. Whoever holds two locks takes
// them in one order everywhere: users.ini before users.
class FileLock
{
public:
    explicit FileLock(const QString &path);
    ~FileLock();

    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    static QString lockPath(const QString &path);

private:
    QString m_path;
    QLockFile m_lock;
    bool m_outermost = false;
};
