// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderBounds.h"

#include "Paths.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QString realPath(const QString &path)
{
    char buffer[PATH_MAX];
    if (::realpath(QFile::encodeName(path).constData(), buffer) == nullptr)
        return QString();
    return QFile::decodeName(buffer);
}

bool within(const QString &path, const QString &root)
{
    if (path.isEmpty() || root.isEmpty())
        return false;
    if (path == root)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(prefix);
}

bool isLink(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

// The nearest folder on the way to path that exists, links resolved.
QString existingFolder(QString folder)
{
    for (;;) {
        const QString real = realPath(folder);
        if (!real.isEmpty())
            return real;
        const QString up = QFileInfo(folder).path();
        if (up == folder)
            return QString();
        folder = up;
    }
}

enum class Use
{
    Write,
    Read
};

[[noreturn]] void refuse(const QString &path, const QString &why, Use use = Use::Write)
{
    throw RuntimeError((use == Use::Write ? QStringLiteral("Запись в «%1» отклонена: %2.")
                                          : QStringLiteral("Чтение «%1» отклонено: %2."))
                           .arg(Paths::display(path), why));
}

const QString OutsideWords = QStringLiteral("это место за пределами папки курса");

// The system's own confinement: each step of the way is checked as it is
// taken, links included.
int openBeneath(int rootFd, const QByteArray &relative)
{
    struct open_how how = {};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    return int(::syscall(SYS_openat2, rootFd, relative.constData(), &how, sizeof how));
}

// Where the system has no such call: every step opened without following a
// link, which the paths of records (resolved by recordPath) never need.
int openStepwise(int rootFd, const QByteArray &relative)
{
    int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    for (const QByteArray &step : relative.split('/')) {
        if (fd < 0 || step.isEmpty() || step == ".")
            continue;
        const int next = step == ".." ? -1
                                      : ::openat(fd, step.constData(),
                                                 O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = step == ".." ? EXDEV : errno;
        ::close(fd);
        fd = next;
        if (fd < 0)
            errno = error;
    }
    return fd;
}

// Every step of the way opened without following a link, for a kernel
// without openat2: the folders as folders, the file as the file named.
int openStepwiseNoLinks(int rootFd, const QByteArray &relative, int fileFlags)
{
    const QList<QByteArray> steps = relative.split('/');
    int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    for (qsizetype i = 0; i < steps.size() && fd >= 0; ++i) {
        const QByteArray &step = steps.at(i);
        const bool last = i == steps.size() - 1;
        if (step.isEmpty() || step == "." || step == "..") {
            ::close(fd);
            errno = EXDEV;
            return -1;
        }
        const int next = ::openat(fd, step.constData(),
                                  last ? fileFlags : O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        fd = next;
        errno = error;
    }
    return fd;
}

QString resolved(const QString &path, Use use)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString top = FolderBounds::root();
    // The folder itself is no file, and a folder removed while the program
    // runs in it takes no file: either write fails as it always has.
    if (clean == top || realPath(top).isEmpty())
        return clean;
    const QFileInfo given(clean);
    const QString folder = realPath(given.path());
    if (folder.isEmpty()) {
        // A missing folder refuses the write by itself, as it always has.
        if (!within(existingFolder(given.path()), top))
            refuse(path, OutsideWords, use);
        return clean;
    }
    if (!within(folder, top))
        refuse(path, OutsideWords, use);
    const QString named = folder + QLatin1Char('/') + given.fileName();
    if (!isLink(named))
        return named;
    const QString target = realPath(named);
    const QString shown = QFile::symLinkTarget(named);
    if (target.isEmpty())
        refuse(path,
               QStringLiteral("это ссылка на несуществующий файл «%1»").arg(Paths::display(shown)),
               use);
    if (!within(target, top))
        refuse(path,
               QStringLiteral("это ссылка на «%1» за пределами папки курса")
                   .arg(Paths::display(target)),
               use);
    return target;
}

} // namespace

QString FolderBounds::root()
{
    const QString folder = Paths::workingDirectory();
    const QString real = realPath(folder);
    return real.isEmpty() ? folder : real;
}

bool FolderBounds::isInside(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString top = root();
    if (realPath(top).isEmpty())
        return within(clean, top);
    if (isLink(clean))
        return within(realPath(clean), top);
    if (QFileInfo::exists(clean))
        return within(realPath(clean), top);
    return within(existingFolder(QFileInfo(clean).path()), top);
}

QString FolderBounds::recordPath(const QString &path)
{
    return resolved(path, Use::Write);
}

QString FolderBounds::readPath(const QString &path)
{
    return resolved(path, Use::Read);
}

bool FolderBounds::startsInside(const QString &path)
{
    const QString absolute =
        QDir::isAbsolutePath(path) ? path : Paths::workingDirectory() + QLatin1Char('/') + path;
    const QString top = root();
    return within(QDir::cleanPath(absolute), top) || absolute.startsWith(top + QLatin1Char('/'));
}

void FolderBounds::refuseOutside(const QString &path)
{
    refuse(path, OutsideWords);
}

int FolderBounds::openDirectory(const QString &dirPath)
{
    const QString clean = QDir::cleanPath(dirPath);
    const QString top = root();
    if (!within(clean, top))
        return ::openat(AT_FDCWD, QFile::encodeName(clean).constData(),
                        O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int rootFd =
        ::openat(AT_FDCWD, QFile::encodeName(top).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0)
        return -1;
    QByteArray relative = QFile::encodeName(clean.mid(top.size()));
    while (relative.startsWith('/'))
        relative.remove(0, 1);
    if (relative.isEmpty())
        relative = ".";
    int fd = openBeneath(rootFd, relative);
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        fd = openStepwise(rootFd, relative);
    const int error = errno;
    ::close(rootFd);
    errno = error;
    return fd;
}

int FolderBounds::openFile(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString top = root();
    if (clean == top || !within(clean, top)) {
        errno = EXDEV;
        return -1;
    }
    const int rootFd =
        ::openat(AT_FDCWD, QFile::encodeName(top).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0)
        return -1;
    QByteArray relative = QFile::encodeName(clean.mid(top.size()));
    while (relative.startsWith('/'))
        relative.remove(0, 1);
    // Not blocking: a pipe planted under the name would hold the open.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC;
    struct open_how how = {};
    how.flags = flags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    int fd = int(::syscall(SYS_openat2, rootFd, relative.constData(), &how, sizeof how));
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        fd = openStepwiseNoLinks(rootFd, relative, flags);
    int error = errno;
    ::close(rootFd);
    struct stat info = {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        error = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        fd = -1;
    }
    errno = error;
    return fd;
}
