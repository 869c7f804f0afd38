#include "FileWrite.h"

#include "GroupShare.h"

#include <QDeadlineTimer>
#include <QDir>
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

int renameWaiting(const QByteArray &from, const QByteArray &to)
{
    const QDeadlineTimer busy(FileWrite::BusyWaitMs);
    const QDeadlineTimer denied(BriefDenialMs);
    for (;;) {
        if (::rename(from.constData(), to.constData()) == 0)
            return 0;
        const int error = errno;
        if (!(isBusy(error) && !busy.hasExpired()) &&
            !(isBriefDenial(error) && !denied.hasExpired()))
            return error;
        nap();
    }
}

} // namespace

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
    // A link is kept and the file it names replaced.
    const QFileInfo given(givenPath);
    const QString path = given.isSymLink() ? given.symLinkTarget() : givenPath;
    const QByteArray target = QFile::encodeName(path);
    struct stat old;
    const bool existed = ::stat(target.constData(), &old) == 0;
    // One name for the new file, so a writer killed before its rename leaves
    // one file there for the next writer to reuse, not one more each time.
    const QByteArray side = QFile::encodeName(sideName(path));
    int fd = ::open(side.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EEXIST || errno == EIO)) {
        // An empty folder under the side file's name is no one's work; one
        // with something in it stays, and the refusal names it.
        if (::rmdir(side.constData()) != 0 && errno != ENOTDIR && errno != ENOENT)
            return EISDIR;
        if (const int error = remove(QFile::decodeName(side), BriefDenialMs); error != 0)
            return error;
        fd = ::open(side.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    if (error == 0)
        error = renameWaiting(side, target);
    if (error != 0)
        remove(QFile::decodeName(side), BriefDenialMs);
    return error;
}

int FileWrite::append(const QString &path, const QByteArray &data)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        GroupShare::adopt(fd, QFileInfo(path).path());
    else if (errno == EEXIST)
        fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
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
    const QByteArray name = QFile::encodeName(path);
    const QDeadlineTimer busy(waitMs);
    const QDeadlineTimer denied(qMin(waitMs, BriefDenialMs));
    for (;;) {
        if (::unlink(name.constData()) == 0 || errno == ENOENT)
            return 0;
        const int error = errno;
        if (!(isBusy(error) && !busy.hasExpired()) &&
            !(isBriefDenial(error) && !denied.hasExpired()))
            return error;
        nap();
    }
}
