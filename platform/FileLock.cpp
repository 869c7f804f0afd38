#include "FileLock.h"

#include "FileWrite.h"
#include "IoError.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A holder writes its name into the lock right after creating it; a lock
// still without a whole name after this long lost its holder in between.
constexpr qint64 UnnamedStaleAfterMs = 1000;
// Taking over a lock is guarded by a lock of its own, held for a few file
// operations and judged like the lock; one of another machine older than
// this belonged to a copy that died meanwhile.
constexpr qint64 TakeoverStaleAfterMs = 10000;
// Waiting copies look into the lock no more often than this: every look
// opens it, and a share will not let its holder remove it while it is open.
constexpr int LookEveryMs = 50;
// How long a release waits for copies that are looking into the lock.
constexpr int ReleaseWaitMs = 5000;

// How deep each lock of this process is held, by lock path; one GUI thread or
// one command, so no guard is needed.
QHash<QString, int> &heldLocks()
{
    static QHash<QString, int> held;
    return held;
}

QByteArray hostName()
{
    static const QByteArray host = QSysInfo::machineHostName().toUtf8();
    return host;
}

// The holder's name: process id, program, host and a token of this hold, one
// a line, the layout that Qt's own lock files use for the first three.
QByteArray holderText()
{
    return QByteArray::number(qint64(::getpid())) + '\n' +
           QCoreApplication::applicationName().toUtf8() + '\n' + hostName() + '\n' +
           QByteArray::number(QRandomGenerator::system()->generate64(), 16) + '\n';
}

struct Holder
{
    qint64 pid = 0;
    QByteArray host;
    bool named = false;
};

Holder parseHolder(const QByteArray &text)
{
    Holder holder;
    const QList<QByteArray> lines = text.split('\n');
    // Four lines and the final line end: a name written to the end.
    if (lines.size() < 5)
        return holder;
    bool ok = false;
    holder.pid = lines[0].toLongLong(&ok);
    holder.host = lines[2];
    holder.named = ok && holder.pid > 0;
    return holder;
}

QString holderPath(const QString &lock)
{
    return lock + QLatin1String("/holder");
}

int removeFolder(const QString &path, int waitMs)
{
    const QByteArray name = QFile::encodeName(path);
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (::rmdir(name.constData()) == 0 || errno == ENOENT)
            return 0;
        const int error = errno;
        if ((error != EBUSY && error != EACCES && error != ENOTEMPTY) || deadline.hasExpired())
            return error;
        QThread::usleep(1000);
    }
}

// Takes the lock: the folder is made only if absent, which a server decides
// for every machine at once (a new file "only if absent" is decided there
// only when the client has not cached the name), then the holder's name goes
// into it and stays open. 0, or the system's error; *fd is the open holder.
int create(const QString &path, int *fd)
{
    *fd = -1;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
        return errno;
    const QByteArray holder = QFile::encodeName(holderPath(path));
    *fd = ::open(holder.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int error = *fd < 0 ? errno : FileWrite::writeAll(*fd, holderText());
    if (error != 0) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
        FileWrite::remove(holderPath(path), ReleaseWaitMs);
        removeFolder(path, ReleaseWaitMs);
        // The folder was ours: whatever went wrong inside it is no sign of
        // another holder.
        if (error == EEXIST)
            error = EIO;
    }
    return error;
}

void release(int fd, const QString &path)
{
    // Closed first: a share does not remove a file that is still open.
    ::close(fd);
    FileWrite::remove(holderPath(path), ReleaseWaitMs);
    removeFolder(path, ReleaseWaitMs);
}

qint64 ageOf(const struct stat &info)
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) - qint64(info.st_mtim.tv_sec)) * 1000 +
           (qint64(now.tv_nsec) - qint64(info.st_mtim.tv_nsec)) / 1000000;
}

// The text and age of a file; false when it cannot be read.
bool readFile(const QString &path, QByteArray *text, qint64 *ageMs)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0;
    text->clear();
    char buffer[512];
    while (ok && text->size() < 4096) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text->append(buffer, n);
    }
    ::close(fd);
    if (ok)
        *ageMs = ageOf(info);
    return ok;
}

// The holder's name and the lock's age; false when the lock is gone. A
// folder without its holder yet is a lock without a name, as old as the
// folder; a plain file in the lock's place is a lock of an earlier version.
bool look(const QString &path, QByteArray *text, qint64 *ageMs)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode))
        return readFile(path, text, ageMs);
    if (readFile(holderPath(path), text, ageMs))
        return true;
    text->clear();
    *ageMs = ageOf(info);
    return true;
}

int removeLock(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return FileWrite::remove(path, 0);
    if (const int error = FileWrite::remove(holderPath(path), 0); error != 0)
        return error;
    return removeFolder(path, 0);
}

// Whether what stands in the lock's place can be a lock: a folder, a file of
// an earlier version, or nothing; a link, wherever it leads, is none.
bool isLockShaped(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) != 0 || S_ISDIR(info.st_mode) ||
           S_ISREG(info.st_mode);
}

// Whether a failed creation of the lock means that another copy has it. A
// server with the original platform's rules also refuses the name while a
// removed lock is still open somewhere, as busy or denied, and a share
// mounted on another machine answers an input/output error for a lock whose
// coming or going it has not seen yet; a folder that refuses new entries
// refuses them whether or not the lock is there.
bool isTaken(int error, const QString &path)
{
    if (error == EEXIST || error == EIO)
        return true;
    if (error != EBUSY && error != EACCES && error != EPERM)
        return false;
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isRunning(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Whether the holder the lock names is gone: on this host its process has
// ended; on another host, which cannot be asked, the lock is past its stale
// time.
bool isLeftBehind(const QByteArray &text, qint64 ageMs,
                  qint64 staleAfterMs = FileLock::StaleAfterMs)
{
    const Holder holder = parseHolder(text);
    if (!holder.named)
        return ageMs > UnnamedStaleAfterMs;
    if (holder.host == hostName())
        return !isRunning(holder.pid);
    return ageMs > staleAfterMs;
}

// Removes a lock left behind, as it was seen. Two waiting copies could both
// judge it left behind, and the slower one would then remove the lock the
// faster one has just taken; so a copy takes over only under the lock of the
// lock, and looks again under it.
bool takeOver(const QString &path, const QByteArray &seen)
{
    const QString guardPath = FileLock::lockPath(path);
    int guard = -1;
    if (const int error = create(guardPath, &guard); error != 0) {
        QByteArray text;
        qint64 ageMs = 0;
        if (error == EEXIST && look(guardPath, &text, &ageMs) &&
            isLeftBehind(text, ageMs, TakeoverStaleAfterMs))
            removeLock(guardPath);
        return false;
    }
    QByteArray text;
    qint64 ageMs = 0;
    bool taken = false;
    // A share refuses the removal while a running holder keeps the lock open.
    if (look(path, &text, &ageMs) && text == seen && isLeftBehind(text, ageMs))
        taken = removeLock(path) == 0;
    release(guard, guardPath);
    return taken;
}

// A share's client may keep what it last learnt of a file, its size above
// all, for a moment; a holder reads the file for what it writes back, so
// what another machine changed before releasing the lock must be seen in
// full, not cut at the size this client remembers.
void askAfresh(const QString &path)
{
    struct statx info;
    (void)::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_STATX_FORCE_SYNC, STATX_SIZE,
                  &info);
}

void nap()
{
    QThread::usleep(1000 + QRandomGenerator::global()->bounded(3000));
}

} // namespace

FileLock::FileLock(const QString &path) : m_path(lockPath(path))
{
    if (int &depth = heldLocks()[m_path]; depth > 0) {
        ++depth;
        return;
    }
    // Short pauses with a little jitter: running copies take turns holding
    // the lock for a few milliseconds each.
    const QDeadlineTimer deadline(WaitMs);
    QElapsedTimer sinceLook;
    for (;;) {
        const int error = create(m_path, &m_fd);
        if (error == 0) {
            m_outermost = true;
            heldLocks()[m_path] = 1;
            askAfresh(path);
            return;
        }
        if (!isTaken(error, m_path) || deadline.hasExpired()) {
            heldLocks().remove(m_path);
            throw IoError::unableToWrite(path);
        }
        if (!sinceLook.isValid() || sinceLook.elapsed() >= LookEveryMs) {
            sinceLook.start();
            // Something that is no lock in the lock's place never goes away.
            if (!isLockShaped(m_path)) {
                heldLocks().remove(m_path);
                throw IoError::unableToWrite(path);
            }
            QByteArray text;
            qint64 ageMs = 0;
            if (look(m_path, &text, &ageMs) && isLeftBehind(text, ageMs) && takeOver(m_path, text))
                continue;
        }
        nap();
    }
}

FileLock::~FileLock()
{
    int &depth = heldLocks()[m_path];
    if (--depth > 0)
        return;
    heldLocks().remove(m_path);
    if (m_outermost)
        release(m_fd, m_path);
}

QString FileLock::lockPath(const QString &path)
{
    return path + QLatin1String(".lock");
}
