#pragma once

#include <QLockFile>
#include <QString>

// A cross-process lock beside a file ("name.lock"), held for the lifetime of
// the object. A lock left by a process that died is taken over. Throws
// RuntimeError "Unable to write to %s" (the file's path) when the lock cannot
// be had, so a write that cannot be made safe is refused rather than risked.
class FileLock
{
public:
    explicit FileLock(const QString &path);
    ~FileLock();

    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    static QString lockPath(const QString &path);

private:
    QLockFile m_lock;
};
