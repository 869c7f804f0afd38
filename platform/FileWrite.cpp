#include "FileWrite.h"

#include "FolderBounds.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A refusal that a share gives while another copy has the file open; the
// local disk never gives it for a rename or a removal in a writable folder.
bool isBusy(int error)
{
    return error == EBUSY || error == ETXTBSY;
}

// A share with the original platform's rules answers "access denied" for a
// file whose removal another copy has begun; it clears within moments.
bool isBriefDenial(int error)
{
    return error == EACCES || error == EPERM;
}

constexpr int BriefDenialMs = 1000;

void nap()
{
    QThread::usleep(500 + QRandomGenerator::global()->bounded(1500));
}

int closeChecked(int fd)
{
    // A network file system reports a failed flush only here.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// The folder of a path, opened once: every later step names its files
// relative to it, so what was checked is what is written.
class Folder
{
public:
    explicit Folder(const QString &path)
        : m_fd(FolderBounds::openDirectory(QFileInfo(path).path())), m_error(errno)
    {
    }
    ~Folder()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    int fd() const { return m_fd; }
    int error() const { return m_error; }

private:
    int m_fd;
    int m_error;
};

QByteArray entryName(const QString &path)
{
    return QFile::encodeName(QFileInfo(path).fileName());
}

int renameWaiting(int dir, const QByteArray &from, const QByteArray &to)
{
    const QDeadlineTimer busy(FileWrite::BusyWaitMs);
    const QDeadlineTimer denied(BriefDenialMs);
    for (;;) {
        if (::renameat(dir, from.constData(), dir, to.constData()) == 0)
            return 0;
        const int error = errno;
        if (!(isBusy(error) && !busy.hasExpired()) &&
            !(isBriefDenial(error) && !denied.hasExpired()))
            return error;
        nap();
    }
}

int removeWaiting(int dir, const QByteArray &name, int waitMs)
{
    const QDeadlineTimer busy(waitMs);
    const QDeadlineTimer denied(qMin(waitMs, BriefDenialMs));
    for (;;) {
        if (::unlinkat(dir, name.constData(), 0) == 0 || errno == ENOENT)
            return 0;
        const int error = errno;
        if (!(isBusy(error) && !busy.hasExpired()) &&
            !(isBriefDenial(error) && !denied.hasExpired()))
            return error;
        nap();
    }
}

} // namespace

QString FileWrite::sideName(const QString &path)
{
    return path + QLatin1String(".new");
}

int FileWrite::writeAll(int fd, const QByteArray &data, qint64 offset)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = offset < 0
                              ? ::write(fd, data.constData() + done, size_t(data.size() - done))
                              : ::pwrite(fd, data.constData() + done, size_t(data.size() - done),
                                         off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        done += n;
    }
    return 0;
}

int FileWrite::replace(const QString &path, const QByteArray &data)
{
    // A link in the file's place is replaced, never followed: the name
    // written is the name the caller checked.
    const Folder dir(path);
    if (dir.fd() < 0)
        return dir.error();
    const QByteArray target = entryName(path);
    struct stat old;
    const bool existed = ::fstatat(dir.fd(), target.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISREG(old.st_mode);
    // One name for the new file, so a writer killed before its rename leaves
    // one file there for the next writer to reuse, not one more each time.
    const QByteArray side = entryName(sideName(path));
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dir.fd(), side.constData(), flags, 0666);
    if (fd < 0 && (errno == EEXIST || errno == EIO)) {
        if (const int error = removeWaiting(dir.fd(), side, BriefDenialMs); error != 0)
            return error;
        fd = ::openat(dir.fd(), side.constData(), flags, 0666);
    }
    if (fd < 0)
        return errno;
    // A share keeps its own permissions and refuses the change; the file
    // then has the share's, as every file written there does.
    if (existed)
        (void)::fchmod(fd, old.st_mode & 07777);
    int error = writeAll(fd, data);
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS)
        error = errno;
    const int closed = closeChecked(fd);
    if (error == 0)
        error = closed;
    if (error == 0)
        error = renameWaiting(dir.fd(), side, target);
    if (error != 0)
        removeWaiting(dir.fd(), side, BriefDenialMs);
    return error;
}

int FileWrite::append(const QString &path, const QByteArray &data)
{
    const Folder dir(path);
    if (dir.fd() < 0)
        return dir.error();
    const int fd = ::openat(dir.fd(), entryName(path).constData(),
                            O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat info;
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0)
        error = writeAll(fd, data, info.st_size);
    const int closed = closeChecked(fd);
    return error != 0 ? error : closed;
}

int FileWrite::remove(const QString &path, int waitMs)
{
    const Folder dir(path);
    if (dir.fd() < 0)
        return dir.error() == ENOENT ? 0 : dir.error();
    return removeWaiting(dir.fd(), entryName(path), waitMs);
}
