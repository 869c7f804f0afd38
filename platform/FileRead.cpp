#include "FileRead.h"

#include "FileWrite.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int readOnce(const QByteArray &name, QByteArray *data)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    data->clear();
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        data->append(buffer, n);
    }
    ::close(fd);
    return error;
}

bool exists(const QByteArray &name)
{
    struct stat info;
    return ::stat(name.constData(), &info) == 0;
}

void nap()
{
    QThread::usleep(2000 + QRandomGenerator::global()->bounded(8000));
}

} // namespace

bool FileRead::isBrief(int error)
{
    return error == EIO;
}

int FileRead::read(const QString &path, QByteArray *data)
{
    const QByteArray name = QFile::encodeName(path);
    const QByteArray side = QFile::encodeName(FileWrite::sideName(path));
    const QDeadlineTimer ioErrors(IoErrorWaitMs);
    QDeadlineTimer landing(QDeadlineTimer::Forever);
    for (;;) {
        const int error = readOnce(name, data);
        if (error == 0)
            return 0;
        if (isBrief(error)) {
            if (ioErrors.hasExpired())
                return error;
        } else if (error == ENOENT || error == EACCES) {
            // A file being removed on a share answers "denied" until the
            // copy that has it open closes it.
            if (!exists(side))
                return error;
            if (landing.isForever())
                landing.setRemainingTime(LandingWaitMs);
            if (landing.hasExpired())
                return exists(name) ? error : readOnce(side, data);
        } else {
            return error;
        }
        nap();
    }
}
