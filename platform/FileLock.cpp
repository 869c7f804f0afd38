// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLock.h"

#include "FileRead.h"
#include "FileWrite.h"
#include "FolderBounds.h"
#include "GroupShare.h"
#include "IoError.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
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
#include <dirent.h>
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

// Every file operation of a lock names its entry in a folder opened once,
// the lock's folder within the course folder's bounds (FolderBounds), and
// never follows a link: a folder on the way swapped for a link out while a
// lock is taken or released cannot carry the lock, its holder or their
// removal outside.
const QByteArray HolderName("holder");

// A descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The lock's own folder in the folder dirFd; O_PATH asks nothing of a
// share's server, so a look in does not hold the lock open there.
int openLock(int dirFd, const QByteArray &name, int flags = O_PATH)
{
    return ::openat(dirFd, name.constData(), flags | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The holder and what a replacement of it may have left beside it.
int removeHolder(int lockFd, int waitMs)
{
    FileWrite::removeAt(lockFd, QFile::encodeName(FileWrite::sideName(HolderName)), waitMs);
    return FileWrite::removeAt(lockFd, HolderName, waitMs);
}

int removeFolder(int dirFd, const QByteArray &name, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    for (;;) {
        if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT)
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
int writeHolder(int lockFd, int *fd)
{
    const QByteArray text = holderText();
    *fd = ::openat(lockFd, HolderName.constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (*fd < 0)
        return errno;
    GroupShare::adopt(*fd, lockFd);
    int error = FileWrite::writeAll(*fd, text);
    if (error != EOPNOTSUPP && error != ENOTSUP)
        return error;
    ::close(*fd);
    *fd = -1;
    // The replacement goes through the open lock folder, by the system's
    // name of it.
    if ((error = FileWrite::replace(
             QStringLiteral("/proc/self/fd/%1/%2").arg(lockFd).arg(QLatin1String(HolderName)),
             text)) != 0)
        return error;
    *fd = ::openat(lockFd, HolderName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    return *fd < 0 ? errno : 0;
}

// Takes the lock: the folder is made only if absent, which a server decides
// for every machine at once (a new file "only if absent" is decided there
// only when the client has not cached the name), then the holder's name goes
// into it and stays open. 0, or the system's error; *fd is the open holder.
int create(int dirFd, const QByteArray &name, int *fd)
{
    *fd = -1;
    if (::mkdirat(dirFd, name.constData(), 0777) != 0)
        return errno;
    // Whoever of the class comes next must be able to take a lock left here.
    if (const Descriptor made(openLock(dirFd, name, O_RDONLY)); made.fd() >= 0)
        GroupShare::adopt(made.fd(), dirFd);
    const Descriptor lock(openLock(dirFd, name));
    int error = lock.fd() >= 0 ? writeHolder(lock.fd(), fd) : errno;
    if (error != 0) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
        if (lock.fd() >= 0)
            removeHolder(lock.fd(), ReleaseWaitMs);
        removeFolder(dirFd, name, ReleaseWaitMs);
        // The folder was ours: whatever went wrong inside it is no sign of
        // another holder.
        if (error == EEXIST)
            error = EIO;
    }
    return error;
}

void release(int fd, int dirFd, const QByteArray &name)
{
    // Closed first: a share does not remove a file that is still open.
    ::close(fd);
    if (const Descriptor lock(openLock(dirFd, name)); lock.fd() >= 0)
        removeHolder(lock.fd(), ReleaseWaitMs);
    removeFolder(dirFd, name, ReleaseWaitMs);
}

qint64 ageOf(const struct stat &info)
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) - qint64(info.st_mtim.tv_sec)) * 1000 +
           (qint64(now.tv_nsec) - qint64(info.st_mtim.tv_nsec)) / 1000000;
}

// The text and age of a file; false when it cannot be read.
bool readFile(int dirFd, const QByteArray &name, QByteArray *text, qint64 *ageMs)
{
    // A named pipe planted as the holder must not hang whoever looks in.
    const int fd =
        ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
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
bool look(int dirFd, const QByteArray &name, QByteArray *text, qint64 *ageMs)
{
    struct stat info;
    if (::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(info.st_mode))
        return readFile(dirFd, name, text, ageMs);
    if (const Descriptor lock(openLock(dirFd, name));
        lock.fd() >= 0 && readFile(lock.fd(), HolderName, text, ageMs))
        return true;
    text->clear();
    *ageMs = ageOf(info);
    return true;
}

// Removes the lock with whatever was left or put inside it: its holder,
// other files, empty folders. A folder with something in it is no trace of
// a copy of this program and stays, and so does the lock.
// The names in the lock's folder.
QList<QByteArray> entriesOf(int dirFd, const QByteArray &name)
{
    QList<QByteArray> names;
    const int fd = openLock(dirFd, name, O_RDONLY);
    if (fd < 0)
        return names;
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        if (entryName != "." && entryName != "..")
            names.append(entryName);
    }
    ::closedir(dir);
    return names;
}

int removeLock(int dirFd, const QByteArray &name)
{
    struct stat info;
    if (::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return FileWrite::removeAt(dirFd, name, 0);
    const Descriptor lock(openLock(dirFd, name));
    if (lock.fd() < 0)
        return errno == ENOENT ? 0 : errno;
    if (const int error = FileWrite::removeAt(lock.fd(), HolderName, 0);
        error != 0 && error != EISDIR)
        return error;
    for (const QByteArray &entry : entriesOf(dirFd, name)) {
        struct stat entryInfo;
        if (::fstatat(lock.fd(), entry.constData(), &entryInfo, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const int error = S_ISDIR(entryInfo.st_mode) ? removeFolder(lock.fd(), entry, 0)
                                                     : FileWrite::removeAt(lock.fd(), entry, 0);
        if (error != 0)
            return error;
    }
    return removeFolder(dirFd, name, 0);
}

// Whether what stands in the lock's place can be a lock: a folder, a file of
// an earlier version, or nothing; a link, wherever it leads, is none.
bool isLockShaped(int dirFd, const QByteArray &name)
{
    struct stat info;
    return ::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
           S_ISDIR(info.st_mode) || S_ISREG(info.st_mode);
}

// Whether a failed creation of the lock means that another copy has it. A
// server with the original platform's rules also refuses the name while a
// removed lock is still open somewhere, as busy or denied, and a share
// mounted on another machine answers an input/output error for a lock whose
// coming or going it has not seen yet, GVFS an invalid argument; a folder that refuses new entries
// refuses them whether or not the lock is there.
bool isTaken(int error, int dirFd, const QByteArray &name)
{
    // GVFS answers "invalid argument" for a folder made while another
    // machine removes it.
    if (error == EEXIST || error == EIO || error == EINVAL)
        return true;
    if (error != EBUSY && error != EACCES && error != EPERM)
        return false;
    struct stat info;
    return ::fstatat(dirFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// Whether an error from making the lock is one of the moment while the
// folder itself would let the lock be made: a copy that took the lock away
// as unnamed while this one was still writing its name leaves it "no such
// file", and a share's client answers "denied" or "busy" for a folder that
// another machine is removing. The folder's own refusal lasts and is given
// at once.
bool isPassing(int error, int dirFd)
{
    if (error != ENOENT && error != EACCES && error != EPERM && error != EBUSY)
        return false;
    struct stat info;
    return ::fstat(dirFd, &info) == 0 && S_ISDIR(info.st_mode) &&
           ::faccessat(dirFd, ".", W_OK | X_OK, 0) == 0;
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
bool takeOver(int dirFd, const QByteArray &name, const QByteArray &seen)
{
    const QByteArray guardName = QFile::encodeName(FileLock::lockPath(QFile::decodeName(name)));
    int guard = -1;
    if (const int error = create(dirFd, guardName, &guard); error != 0) {
        QByteArray text;
        qint64 ageMs = 0;
        if (error == EEXIST && look(dirFd, guardName, &text, &ageMs) &&
            isLeftBehind(text, ageMs, TakeoverStaleAfterMs))
            removeLock(dirFd, guardName);
        return false;
    }
    QByteArray text;
    qint64 ageMs = 0;
    bool taken = false;
    // A share refuses the removal while a running holder keeps the lock open.
    if (look(dirFd, name, &text, &ageMs) && text == seen && isLeftBehind(text, ageMs))
        taken = removeLock(dirFd, name) == 0;
    release(guard, dirFd, guardName);
    return taken;
}

// A share's client may keep what it last learnt of a file, its size above
// all, for a moment; a holder reads the file for what it writes back, so
// what another machine changed before releasing the lock must be seen in
// full, not cut at the size this client remembers.
void askAfresh(int dirFd, const QString &path)
{
    struct statx info;
    (void)::statx(dirFd, QFile::encodeName(QFileInfo(path).fileName()).constData(),
                  AT_STATX_FORCE_SYNC | AT_SYMLINK_NOFOLLOW, STATX_SIZE, &info);
}

void nap()
{
    QThread::usleep(1000 + QRandomGenerator::global()->bounded(3000));
}

} // namespace

namespace {

QString refusalReason(int dirFd, const QString &lock)
{
    QByteArray text;
    qint64 ageMs = 0;
    if (!look(dirFd, QFile::encodeName(QFileInfo(lock).fileName()), &text, &ageMs))
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
    const Descriptor folder(FolderBounds::openDirectory(QFileInfo(lock).path()));
    const QByteArray name = QFile::encodeName(QFileInfo(lock).fileName());
    struct stat info;
    if (folder.fd() < 0 ||
        ::fstatat(folder.fd(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return QString();
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
        return QStringLiteral("на месте блокировки не папка и не файл");
    QByteArray text;
    qint64 ageMs = 0;
    if (!look(folder.fd(), name, &text, &ageMs))
        return QString();
    return holderWords(text, ageMs);
}

int FileLock::clear(const QString &lock)
{
    const Descriptor folder(FolderBounds::openDirectory(QFileInfo(lock).path()));
    if (folder.fd() < 0)
        return errno == ENOENT ? 0 : errno;
    return removeLock(folder.fd(), QFile::encodeName(QFileInfo(lock).fileName()));
}

FileLock::FileLock(const QString &path)
    : m_path(lockPath(path)), m_name(QFile::encodeName(QFileInfo(m_path).fileName()))
{
    if (int &depth = heldLocks()[m_path]; depth > 0) {
        ++depth;
        return;
    }
    openFolder(path);
    // Short pauses with a little jitter: running copies take turns holding
    // the lock for a few milliseconds each.
    const QDeadlineTimer deadline(WaitMs);
    QElapsedTimer sinceLook;
    for (;;) {
        const int error = create(m_folder, m_name, &m_fd);
        if (error == 0) {
            m_outermost = true;
            heldLocks()[m_path] = 1;
            askAfresh(m_folder, path);
            return;
        }
        if (!isTaken(error, m_folder, m_name) && !isPassing(error, m_folder))
            refuse(Refused(path, QString()));
        if (deadline.hasExpired())
            refuse(Refused(path, refusalReason(m_folder, m_path)));
        if (!sinceLook.isValid() || sinceLook.elapsed() >= LookEveryMs) {
            sinceLook.start();
            // Something that is no lock in the lock's place never goes away.
            if (!isLockShaped(m_folder, m_name))
                refuse(Refused(path, QStringLiteral("На месте блокировки «%1» не папка и не файл; "
                                                    "её снимает команда coursebook-admin unlock "
                                                    "--force.")
                                         .arg(Paths::display(m_path))));
            QByteArray text;
            qint64 ageMs = 0;
            if (look(m_folder, m_name, &text, &ageMs) && isLeftBehind(text, ageMs) &&
                takeOver(m_folder, m_name, text))
                continue;
        }
        nap();
    }
}

void FileLock::openFolder(const QString &path)
{
    QString folder = QFileInfo(m_path).path();
    try {
        // A lock of a record goes where the record may go, and is refused
        // the way the record is: a link in its place or on its way out of
        // the folder, a link to nothing, "..". Its folder is opened where
        // the links on the way lead, inside.
        if (FolderBounds::startsInside(m_path)) {
            FolderBounds::recordPath(m_path);
            folder = FolderBounds::recordPath(folder);
        }
    } catch (...) {
        heldLocks().remove(m_path);
        throw;
    }
    m_folder = FolderBounds::openDirectory(folder);
    if (m_folder >= 0)
        return;
    // The system found a link out on the way after the look above.
    if (errno == EXDEV || errno == ELOOP) {
        heldLocks().remove(m_path);
        FolderBounds::refuseOutside(m_path);
    }
    refuse(Refused(path, QString()));
}

void FileLock::refuse(const Refused &refusal)
{
    heldLocks().remove(m_path);
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
    throw refusal;
}

FileLock::~FileLock()
{
    int &depth = heldLocks()[m_path];
    if (--depth > 0)
        return;
    heldLocks().remove(m_path);
    if (m_outermost)
        release(m_fd, m_folder, m_name);
    if (m_folder >= 0)
        ::close(m_folder);
}

QString FileLock::lockPath(const QString &path)
{
    return path + QLatin1String(".lock");
}
