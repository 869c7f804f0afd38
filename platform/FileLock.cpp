#include "FileLock.h"

#include "IoError.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QThread>

namespace {
// Long enough for the largest file we write, short enough that a lock left on
// a shared folder by a machine that went away does not block the class.
constexpr int StaleAfterMs = 60000;
constexpr int WaitMs = 20000;
// A holder writes its name into the lock right after creating it; a lock
// still empty after this long lost its holder in between.
constexpr qint64 EmptyStaleAfterMs = 1000;

// How deep each lock of this process is held, by lock path; one GUI thread or
// one command, so no guard is needed.
QHash<QString, int> &heldLocks()
{
    static QHash<QString, int> held;
    return held;
}

bool isAbandonedEmpty(const QString &lockPath)
{
    const QFileInfo info(lockPath);
    return info.exists() && info.size() == 0 &&
           info.lastModified().msecsTo(QDateTime::currentDateTime()) > EmptyStaleAfterMs;
}
} // namespace

FileLock::FileLock(const QString &path) : m_path(lockPath(path)), m_lock(m_path)
{
    if (int &depth = heldLocks()[m_path]; depth > 0) {
        ++depth;
        return;
    }
    m_lock.setStaleLockTime(StaleAfterMs);
    // QLockFile's own wait doubles its pause from 100 ms on, which leaves the
    // file idle most of the time while running copies take turns holding it
    // for a few milliseconds each; short pauses with a little jitter keep
    // them moving.
    const QDeadlineTimer deadline(WaitMs);
    for (;;) {
        if (m_lock.tryLock(0)) {
            m_outermost = true;
            heldLocks()[m_path] = 1;
            return;
        }
        if (m_lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            throw IoError::unableToWrite(path);
        // A process killed between creating the lock and writing its name
        // into it leaves a lock that names no one; the system lock that every
        // holder keeps on it tells whether anyone still does.
        if (isAbandonedEmpty(lockPath(path)) && m_lock.removeStaleLockFile())
            continue;
        QThread::msleep(1 + QRandomGenerator::global()->bounded(4));
    }
}

FileLock::~FileLock()
{
    int &depth = heldLocks()[m_path];
    if (--depth > 0)
        return;
    heldLocks().remove(m_path);
    if (m_outermost)
        m_lock.unlock();
}

QString FileLock::lockPath(const QString &path)
{
    return path + QLatin1String(".lock");
}
