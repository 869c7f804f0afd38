// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileRead.h"

#include "FileWrite.h"
#include "FolderBounds.h"
#include "Paths.h"
#include "RuntimeError.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

// A record in the course folder is read where its links lead only while
// they stay in the folder: through its folder opened within the folder's
// bounds, the file itself opened without following a link, so a link swapped
// in after the look is not followed either. EXDEV for a path that leads out.
int openRecord(const QString &path)
{
    if (!FolderBounds::startsInside(path))
        return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QString real;
    try {
        real = FolderBounds::readPath(path);
    } catch (const RuntimeError &) {
        errno = EXDEV;
        return -1;
    }
    const QFileInfo info(real);
    const int dirFd = FolderBounds::openDirectory(info.path());
    if (dirFd < 0)
        return -1;
    const int fd = ::openat(dirFd, QFile::encodeName(info.fileName()).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int error = errno;
    ::close(dirFd);
    errno = error == ELOOP ? EXDEV : error;
    return fd;
}

constexpr qint64 MB = 1024 * 1024;

QString kindText(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("именованный канал");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("устройство");
    if (S_ISSOCK(mode))
        return QStringLiteral("сокет");
    return QStringLiteral("не обычный файл");
}

// The refusal of what stands at path, judged on the open descriptor, so
// that nothing swapped in after the look is read instead; empty when it is
// a plain file of a size a class can have, or a folder (named by the caller).
QString judge(int fd, const QString &path, qint64 limit)
{
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
        return QString();
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("«%1» — не файл, а %2; такое на месте записи не читается.")
            .arg(Paths::display(path), kindText(info.st_mode));
    if (qint64(info.st_size) > limit)
        return QStringLiteral("«%1» занимает %2, больше предела %3 для такого файла; "
                              "такой файл не читается.")
            .arg(Paths::display(path), FileRead::sizeText(info.st_size), FileRead::sizeText(limit));
    return QString();
}

int readOnce(const QString &path, QByteArray *data, qint64 limit)
{
    const int fd = openRecord(path);
    if (fd < 0)
        return errno;
    if (const QString refused = judge(fd, path, limit); !refused.isEmpty()) {
        ::close(fd);
        throw RuntimeError(refused);
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    // A plain file reads whole without waiting for a writer.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    data->clear();
    char buffer[65536];
    int error = 0;
    for (;;) {
        // A file that grows while it is read stops at the limit.
        if (data->size() > limit) {
            ::close(fd);
            throw RuntimeError(QStringLiteral("«%1» занимает больше предела %2 для такого "
                                              "файла; такой файл не читается.")
                                   .arg(Paths::display(path), FileRead::sizeText(limit)));
        }
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

// Only a file can be a replacement's new file; a folder under its name was
// put there and is named by the write that meets it.
bool isFile(const QByteArray &name)
{
    struct stat info;
    return ::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

void nap()
{
    QThread::usleep(2000 + QRandomGenerator::global()->bounded(8000));
}

} // namespace

qint64 FileRead::sizeLimit(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName().toLower();
    if (name == QLatin1String("tumb.db"))
        return 64 * 1024;
    if (name == QLatin1String("course.ini"))
        return MB;
    if (name == QLatin1String("users"))
        return 8 * MB;
    // A test of a thousand questions takes some 2 MB.
    if (name.endsWith(QLatin1String(".ini")) &&
        QFileInfo(info.path()).fileName().toLower() == QLatin1String("tests"))
        return 16 * MB;
    // users.ini, the test log and its answer records, question sources.
    return 64 * MB;
}

QString FileRead::sizeText(qint64 bytes)
{
    if (bytes >= MB)
        return QStringLiteral("%1 МБ").arg(bytes / MB);
    if (bytes >= 1024)
        return QStringLiteral("%1 КБ").arg(bytes / 1024);
    return QStringLiteral("%1 байт").arg(bytes);
}

QString FileRead::refusal(const QString &path)
{
    const int fd = openRecord(path);
    if (fd < 0)
        return QString();
    const QString refused = judge(fd, path, sizeLimit(path));
    ::close(fd);
    return refused;
}

bool FileRead::isBrief(int error)
{
    return error == EIO;
}

bool FileRead::isOnShare(const QString &path)
{
    struct statfs info;
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::statfs(folder.constData(), &info) != 0)
        return false;
    switch (quint32(info.f_type)) {
    case 0x65735546: // FUSE
    case 0xFE534D42: // SMB2
    case 0xFF534D42: // CIFS
    case 0x517B:     // SMB
    case 0x6969:     // NFS
        return true;
    default:
        return false;
    }
}

int FileRead::read(const QString &path, QByteArray *data)
{
    const QByteArray name = QFile::encodeName(path);
    const QString sidePath = FileWrite::sideName(path);
    const QByteArray side = QFile::encodeName(sidePath);
    const QDeadlineTimer ioErrors(IoErrorWaitMs);
    QDeadlineTimer landing(QDeadlineTimer::Forever);
    QDeadlineTimer givingUp(QDeadlineTimer::Forever);
    // A client may show the file missing for a moment after the new one
    // beside it has been renamed into its place; on a share a missing file
    // is looked for again for a moment before it counts as missing.
    std::optional<QDeadlineTimer> settling;
    const qint64 limit = sizeLimit(path);
    for (;;) {
        const int error = readOnce(path, data, limit);
        if (error == 0)
            return 0;
        if (isBrief(error)) {
            if (ioErrors.hasExpired())
                return error;
        } else if (error == ENOENT || error == EACCES || error == EBUSY) {
            // A file being removed on a share answers "denied" or "busy"
            // until every copy that has it open has closed it.
            if (isFile(side)) {
                if (landing.isForever()) {
                    landing.setRemainingTime(LandingWaitMs);
                    givingUp.setRemainingTime(2 * LandingWaitMs);
                }
                if (landing.hasExpired() && !exists(name) && readOnce(sidePath, data, limit) == 0)
                    return 0;
                settling.reset();
            } else {
                if (!settling)
                    settling = QDeadlineTimer(error == EBUSY || isOnShare(path) ? SettleMs : 0);
                if (settling->hasExpired())
                    return error;
            }
            if (givingUp.hasExpired())
                return error;
        } else {
            return error;
        }
        nap();
    }
}
