#include "FileLock.h"

#include "FileRead.h"
#include "FileWrite.h"
#include "GroupShare.h"
#include "IoError.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
// A lock dated later than now by more than the clocks of a classroom drift
// apart was planted or written under a wrong clock; waiting for it to age
// would take as long as the date is off.
constexpr qint64 FutureAfterMs = 10000;

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
    QByteArray program;
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
    holder.program = lines[1];
    holder.host = lines[2];
    holder.named = ok && holder.pid > 0;
    return holder;
}

QString holderPath(const QString &lock)
{
    return lock + QLatin1String("/holder");
}

// The holder and what a replacement of it may have left beside it.
int removeHolder(const QString &lock, int waitMs)
{
    FileWrite::remove(FileWrite::sideName(holderPath(lock)), waitMs);
    return FileWrite::remove(holderPath(lock), waitMs);
}

int removeFolder(const QString &path, int waitMs)
{
    const QByteArray name = QFile::encodeName(path);
    const QDeadlineTimer deadline(waitMs);
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    for (;;) {
        if (::rmdir(name.constData()) == 0 || errno == ENOENT)
            return 0;
        const int error = errno;
        if (FileRead::isBrief(error) && !ioErrors.hasExpired()) {
            QThread::usleep(20000);
            continue;
        }
        if ((error != EBUSY && error != EACCES && error != ENOTEMPTY) || deadline.hasExpired())
            return error;
        QThread::usleep(1000);
    }
}

// Writes the holder's name into the new lock and leaves *fd open on it. A
// client that cannot go on writing a new file once another copy has opened
// it (a waiting copy looking in) gets the name through a replacement, then
// holds it open for reading.
int writeHolder(const QString &path, int *fd)
{
    const QByteArray text = holderText();
    const QByteArray holder = QFile::encodeName(holderPath(path));
    *fd = ::open(holder.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (*fd < 0)
        return errno;
    GroupShare::adopt(*fd, path);
    int error = FileWrite::writeAll(*fd, text);
    if (error != EOPNOTSUPP && error != ENOTSUP)
        return error;
    ::close(*fd);
    *fd = -1;
    if ((error = FileWrite::replace(holderPath(path), text)) != 0)
        return error;
    *fd = ::open(holder.constData(), O_RDONLY | O_CLOEXEC);
    return *fd < 0 ? errno : 0;
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
    // Whoever of the class comes next must be able to take a lock left here.
    GroupShare::adoptFolder(path);
    int error = writeHolder(path, fd);
    if (error != 0) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
        removeHolder(path, ReleaseWaitMs);
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
    removeHolder(path, ReleaseWaitMs);
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

// Removes the lock with whatever was left or put inside it: its holder,
// other files, empty folders. A folder with something in it is no trace of
// a copy of this program and stays, and so does the lock.
int removeLock(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return FileWrite::remove(path, 0);
    if (const int error = FileWrite::remove(holderPath(path), 0); error != 0 && error != EISDIR)
        return error;
    const QStringList inside =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : inside) {
        const QString entry = path + QLatin1Char('/') + name;
        struct stat entryInfo;
        if (::lstat(QFile::encodeName(entry).constData(), &entryInfo) != 0)
            continue;
        const int error =
            S_ISDIR(entryInfo.st_mode) ? removeFolder(entry, 0) : FileWrite::remove(entry, 0);
        if (error != 0)
            return error;
    }
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
// coming or going it has not seen yet, GVFS an invalid argument; a folder that refuses new entries
// refuses them whether or not the lock is there.
bool isTaken(int error, const QString &path)
{
    // GVFS answers "invalid argument" for a folder made while another
    // machine removes it.
    if (error == EEXIST || error == EIO || error == EINVAL)
        return true;
    if (error != EBUSY && error != EACCES && error != EPERM)
        return false;
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Whether an error from making the lock is one of the moment while the
// folder itself would let the lock be made: a copy that took the lock away
// as unnamed while this one was still writing its name leaves it "no such
// file", and a share's client answers "denied" or "busy" for a folder that
// another machine is removing. The folder's own refusal lasts and is given
// at once.
bool isPassing(int error, const QString &lock)
{
    if (error != ENOENT && error != EACCES && error != EPERM && error != EBUSY)
        return false;
    const QByteArray folder = QFile::encodeName(QFileInfo(lock).path());
    struct stat info;
    return ::stat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(folder.constData(), W_OK | X_OK) == 0;
}

bool isRunning(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Whether the running process is the program the holder names: a process
// id is used again once its process has ended, by whatever starts next.
// Where the system does not say, or the holder named no program, it is
// taken to be.
bool isSameProgram(qint64 pid, const QByteArray &program)
{
    if (program.isEmpty())
        return true;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return true;
    const QByteArray name = comm.readAll().trimmed();
    // The system keeps the first fifteen bytes of a program's name.
    return name == program.left(15);
}

// Whether the holder the lock names is gone: on this host its process has
// ended; on another host, which cannot be asked, the lock is past its stale
// time.
bool isLeftBehind(const QByteArray &text, qint64 ageMs,
                  qint64 staleAfterMs = FileLock::StaleAfterMs)
{
    const Holder holder = parseHolder(text);
    if (holder.named && holder.host == hostName())
        return !isRunning(holder.pid) || !isSameProgram(holder.pid, holder.program);
    if (ageMs < -FutureAfterMs)
        return true;
    return ageMs > (holder.named ? staleAfterMs : UnnamedStaleAfterMs);
}

QString since(qint64 ageMs)
{
    return QDateTime::currentDateTime().addMSecs(-ageMs).toString(
        QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

// Who holds the lock and since when, in the user's words.
QString holderWords(const QByteArray &text, qint64 ageMs)
{
    const Holder holder = parseHolder(text);
    if (!holder.named)
        return QStringLiteral("блокировка без имени владельца (его программа не успела его "
                              "записать), с %1")
            .arg(since(ageMs));
    const QString program = holder.program.isEmpty() ? QStringLiteral("неизвестная программа")
                                                     : QString::fromUtf8(holder.program);
    QString words = QStringLiteral("программа %1 на компьютере %2, процесс %3, с %4")
                        .arg(program, QString::fromUtf8(holder.host))
                        .arg(holder.pid)
                        .arg(since(ageMs));
    if (holder.host == hostName()) {
        if (!isRunning(holder.pid))
            words += QStringLiteral(" (процесс завершён)");
        else if (!isSameProgram(holder.pid, holder.program))
            words += QStringLiteral(" (этот номер теперь у другой программы)");
    } else if (ageMs < -FutureAfterMs) {
        words += QStringLiteral(" (дата в будущем)");
    }
    return words;
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

namespace {

QString refusalReason(const QString &lock)
{
    QByteArray text;
    qint64 ageMs = 0;
    if (!look(lock, &text, &ageMs))
        return QString();
    const QString shown = Paths::display(lock);
    if (isLeftBehind(text, ageMs))
        return QStringLiteral("Блокировку «%1» (%2) оставила программа, которая уже не работает, "
                              "но снять её не удалось; её снимает команда coursebook-admin "
                              "unlock --force.")
            .arg(shown, holderWords(text, ageMs));
    return QStringLiteral("Файл занят: блокировку «%1» держит %2.")
        .arg(shown, holderWords(text, ageMs));
}

} // namespace

FileLock::Refused::Refused(const QString &path, const QString &reason)
    : RuntimeError(IoError::unableToWrite(path).message() +
                   (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason)),
      m_reason(reason)
{
}

QString FileLock::describe(const QString &lock)
{
    struct stat info;
    if (::lstat(QFile::encodeName(lock).constData(), &info) != 0)
        return QString();
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
        return QStringLiteral("на месте блокировки не папка и не файл");
    QByteArray text;
    qint64 ageMs = 0;
    if (!look(lock, &text, &ageMs))
        return QString();
    return holderWords(text, ageMs);
}

int FileLock::clear(const QString &lock)
{
    return removeLock(lock);
}

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
        if (!isTaken(error, m_path) && !isPassing(error, m_path)) {
            heldLocks().remove(m_path);
            throw Refused(path, QString());
        }
        if (deadline.hasExpired()) {
            heldLocks().remove(m_path);
            throw Refused(path, refusalReason(m_path));
        }
        if (!sinceLook.isValid() || sinceLook.elapsed() >= LookEveryMs) {
            sinceLook.start();
            // Something that is no lock in the lock's place never goes away.
            if (!isLockShaped(m_path)) {
                heldLocks().remove(m_path);
                throw Refused(path, QStringLiteral("На месте блокировки «%1» не папка и не файл; "
                                                   "её снимает команда coursebook-admin unlock "
                                                   "--force.")
                                        .arg(Paths::display(m_path)));
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
