// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileWrite.h"

#include "FileRead.h"
#include "FolderBounds.h"
#include "GroupShare.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <dirent.h>
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

// The folder of a path, opened once, and the path through that open folder:
// the system does not look the folders on the way up again, so a folder
// swapped for a link after the caller checked the path cannot carry the
// write elsewhere (FolderBounds decides how the folder itself is opened).
class Pinned
{
public:
    explicit Pinned(const QString &path)
    {
        static const bool viaProc = ::access("/proc/self/fd", X_OK) == 0;
        const QFileInfo info(path);
        m_fd = FolderBounds::openDirectory(info.path());
        m_error = errno;
        if (m_fd >= 0)
            m_path = viaProc ? QStringLiteral("/proc/self/fd/%1/%2").arg(m_fd).arg(info.fileName())
                             : path;
    }
    ~Pinned()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Pinned(const Pinned &) = delete;
    Pinned &operator=(const Pinned &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    const QString &path() const { return m_path; }

private:
    int m_fd = -1;
    int m_error = 0;
    QString m_path;
};

bool isUnsupported(int error)
{
    return error == EOPNOTSUPP || error == ENOTSUP;
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

// 0, ENOENT, or the error that kept the answer from coming within the
// input/output error window.
int statWaiting(const QByteArray &name, struct stat *info)
{
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    for (;;) {
        if (::stat(name.constData(), info) == 0)
            return 0;
        const int error = errno;
        if (!FileRead::isBrief(error) || ioErrors.hasExpired())
            return error;
        nap();
    }
}

bool isMissing(const QByteArray &name)
{
    struct stat info;
    return statWaiting(name, &info) == ENOENT;
}

// A client of a share that replaces a file by removing it first and renaming
// the new one then gets "exists" (or "denied") for as long as another copy,
// on any machine, still has the removed file open, if only for a look-up:
// the server keeps the name until the last copy closes it. The rename is
// tried again until it lands; the file then is missing meanwhile, and the
// new one beside it is what readers and the next writer take.
int renameLanding(const QByteArray &from, const QByteArray &to)
{
    const QDeadlineTimer busy(FileWrite::BusyWaitMs);
    const QDeadlineTimer denied(BriefDenialMs);
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    for (;;) {
        if (::rename(from.constData(), to.constData()) == 0)
            return 0;
        const int error = errno;
        struct stat info;
        const bool folder = ::stat(to.constData(), &info) == 0 && S_ISDIR(info.st_mode);
        const bool held = isBusy(error) || (error == EEXIST && !folder) ||
                          (isBriefDenial(error) && isMissing(to));
        if (!(held && !busy.hasExpired()) && !(isBriefDenial(error) && !denied.hasExpired()) &&
            !(FileRead::isBrief(error) && !ioErrors.hasExpired()))
            return error;
        nap();
    }
}

} // namespace

int FileWrite::appendByReplacing(const QString &path, const QByteArray &data)
{
    QByteArray old;
    const int error = FileRead::read(path, &old);
    if (error != 0 && error != ENOENT)
        return error;
    return replace(path, old + data);
}

QString FileWrite::refusalReason(const QString &path, int error)
{
    if (QFileInfo(sideName(path)).isDir())
        return QStringLiteral("На месте временного файла «%1» стоит папка; её убирает команда "
                              "coursebook-admin unlock --force.")
            .arg(QDir::toNativeSeparators(sideName(path)));
    if (isBusy(error))
        return QStringLiteral("Файл «%1» открыт другой программой, возможно на другом "
                              "компьютере: общая папка не даёт заменить открытый файл. Закройте "
                              "его там и повторите.")
            .arg(QDir::toNativeSeparators(path));
    return QString();
}

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

int FileWrite::replace(const QString &givenPath, const QByteArray &data)
{
    // A link in the file's place is replaced, never followed: the name
    // written is the name the caller checked.
    const Pinned pinned(givenPath);
    if (!pinned.isOpen())
        return pinned.error();
    const QString &path = pinned.path();
    const QByteArray target = QFile::encodeName(path);
    // What a replacement that did not land left beside a missing file goes
    // into its place first; it is not thrown away with the side file below.
    if (const int error = recover(path); error != 0)
        return error;
    struct stat old;
    const int looked = statWaiting(target, &old);
    if (looked != 0 && looked != ENOENT)
        return looked;
    const bool existed = looked == 0;
    // One name for the new file, so a writer killed before its rename leaves
    // one file there for the next writer to reuse, not one more each time.
    const QByteArray side = QFile::encodeName(sideName(path));
    int fd = ::open(side.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EEXIST || FileRead::isBrief(errno))) {
        // An empty folder under the side file's name is no one's work; one
        // with something in it stays, and the refusal names it.
        if (::rmdir(side.constData()) != 0 && errno != ENOTDIR && errno != ENOENT)
            return EISDIR;
        if (const int error = remove(QFile::decodeName(side), BriefDenialMs); error != 0)
            return error;
        fd = ::open(side.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (fd < 0)
        return errno;
    const QString folder = QFileInfo(path).path();
    if (existed)
        GroupShare::keep(fd, old, folder);
    else
        GroupShare::adopt(fd, folder);
    int error = writeAll(fd, data);
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOSYS)
        error = errno;
    const int closed = closeChecked(fd);
    if (error == 0)
        error = closed;
    if (error != 0) {
        remove(QFile::decodeName(side), BriefDenialMs);
        return error;
    }
    error = renameLanding(side, target);
    // Once the client has removed the old file, the new one is the only
    // whole copy: it stays for the next reader and writer, and the write is
    // reported as failed.
    if (error != 0 && !isMissing(target))
        remove(QFile::decodeName(side), BriefDenialMs);
    // A share client may report the rename done and still show the new file
    // under its side name (GVFS did, once, while another machine read the
    // file); the write has landed, and nobody else would take it away.
    struct stat left;
    if (error == 0 && ::lstat(side.constData(), &left) == 0 && S_ISREG(left.st_mode))
        remove(QFile::decodeName(side), BriefDenialMs);
    return error;
}

int FileWrite::recover(const QString &path)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray side = QFile::encodeName(sideName(path));
    struct stat info;
    if (const int error = statWaiting(target, &info); error != ENOENT)
        return error;
    if (const int error = statWaiting(side, &info); error != 0)
        return error == ENOENT ? 0 : error;
    // Only a file is a replacement's new file.
    if (!S_ISREG(info.st_mode))
        return 0;
    return renameLanding(side, target);
}

int FileWrite::append(const QString &givenPath, const QByteArray &data)
{
    const Pinned pinned(givenPath);
    if (!pinned.isOpen())
        return pinned.error();
    const QString &path = pinned.path();
    if (const int error = recover(path); error != 0)
        return error;
    const QByteArray name = QFile::encodeName(path);
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    int fd = -1;
    for (;;) {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            GroupShare::adopt(fd, QFileInfo(path).path());
            break;
        }
        int error = errno;
        if (error == EEXIST) {
            fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0)
                break;
            error = errno;
        }
        // A client that cannot write into an existing file takes the grown
        // file whole, through the same replacement as every record.
        if (isUnsupported(error))
            return appendByReplacing(path, data);
        if (!FileRead::isBrief(error) || ioErrors.hasExpired())
            return error;
        nap();
    }
    struct stat info;
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0)
        error = writeAll(fd, data, info.st_size);
    const int closed = closeChecked(fd);
    // Some clients open the file and refuse its first write instead.
    if (isUnsupported(error))
        return appendByReplacing(path, data);
    return error != 0 ? error : closed;
}

int FileWrite::remove(const QString &path, int waitMs)
{
    const int dirFd = FolderBounds::openDirectory(QFileInfo(path).path());
    if (dirFd < 0)
        return errno == ENOENT ? 0 : errno;
    const int error = removeAt(dirFd, QFile::encodeName(QFileInfo(path).fileName()), waitMs);
    ::close(dirFd);
    return error;
}

namespace {

// Deeper than any folder a copy leaves; a loop of folders ends here.
constexpr int DeepestTree = 64;

int removeTreeAt(int dirFd, const QByteArray &name, int depth)
{
    for (int tries = 0; tries < 8; ++tries) {
        // A file or a link goes as itself.
        if (::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT)
            return 0;
        if (errno != EISDIR && errno != EPERM)
            return errno;
        if (depth >= DeepestTree)
            return ELOOP;
        const int fd =
            ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            // Swapped for a link or a file since: removed as such next time.
            if (errno == ELOOP || errno == ENOTDIR)
                continue;
            return errno == ENOENT ? 0 : errno;
        }
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            const int error = errno;
            ::close(fd);
            return error;
        }
        QList<QByteArray> entries;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray entryName(entry->d_name);
            if (entryName != "." && entryName != "..")
                entries.append(entryName);
        }
        int error = 0;
        for (const QByteArray &entry : entries) {
            if (const int e = removeTreeAt(::dirfd(dir), entry, depth + 1); e != 0 && !error)
                error = e;
        }
        ::closedir(dir);
        if (error != 0)
            return error;
        if (::unlinkat(dirFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT)
            return 0;
        // A link put in the emptied folder's place: removed next time round.
        if (errno != ENOTDIR)
            return errno;
    }
    return EBUSY;
}

} // namespace

int FileWrite::removeTree(const QString &path)
{
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const int dirFd = FolderBounds::openDirectory(info.path());
    if (dirFd < 0)
        return errno == ENOENT ? 0 : errno;
    const int error = removeTreeAt(dirFd, QFile::encodeName(info.fileName()), 0);
    ::close(dirFd);
    return error;
}

int FileWrite::removeAt(int dirFd, const QByteArray &name, int waitMs)
{
    const QDeadlineTimer busy(waitMs);
    const QDeadlineTimer denied(qMin(waitMs, BriefDenialMs));
    const QDeadlineTimer ioErrors(FileRead::IoErrorWaitMs);
    for (;;) {
        if (::unlinkat(dirFd, name.constData(), 0) == 0 || errno == ENOENT)
            return 0;
        const int error = errno;
        if (!(isBusy(error) && !busy.hasExpired()) &&
            !(isBriefDenial(error) && !denied.hasExpired()) &&
            !(FileRead::isBrief(error) && !ioErrors.hasExpired()))
            return error;
        nap();
    }
}
