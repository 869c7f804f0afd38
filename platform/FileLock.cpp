#include "FileLock.h"

#include "IoError.h"

namespace {
// Long enough for the largest file we write, short enough that a lock left on
// a shared folder by a machine that went away does not block the class.
constexpr int StaleAfterMs = 60000;
constexpr int WaitMs = 20000;
} // namespace

FileLock::FileLock(const QString &path) : m_lock(lockPath(path))
{
    m_lock.setStaleLockTime(StaleAfterMs);
    if (!m_lock.tryLock(WaitMs))
        throw IoError::unableToWrite(path);
}

FileLock::~FileLock()
{
    m_lock.unlock();
}

QString FileLock::lockPath(const QString &path)
{
    return path + QLatin1String(".lock");
}
