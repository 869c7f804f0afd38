// SPDX-License-Identifier: GPL-3.0-or-later
#include "GroupShare.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool folderInfo(const QString &folder, struct stat *info)
{
    return ::stat(QFile::encodeName(folder).constData(), info) == 0 && S_ISDIR(info->st_mode);
}

void adoptUnder(int fd, const struct stat &parent)
{
    struct stat own;
    if (!S_ISDIR(parent.st_mode) || !(parent.st_mode & S_IWGRP) || ::fstat(fd, &own) != 0)
        return;
    // The group first: a change of group clears the set-group bit.
    if (own.st_gid != parent.st_gid)
        (void)::fchown(fd, uid_t(-1), parent.st_gid);
    unsigned mode = GroupShare::sharedMode(own.st_mode & 07777);
    if (S_ISDIR(own.st_mode) && (parent.st_mode & S_ISGID))
        mode |= S_ISGID;
    if (mode != (own.st_mode & 07777))
        (void)::fchmod(fd, mode);
}

} // namespace

bool GroupShare::isShared(const QString &folder)
{
    struct stat info;
    return folderInfo(folder, &info) && (info.st_mode & S_IWGRP);
}

unsigned GroupShare::sharedMode(unsigned mode)
{
    mode &= ~unsigned(S_IRWXG);
    return mode | ((mode & S_IRWXU) >> 3);
}

void GroupShare::adopt(int fd, const QString &folder)
{
    struct stat parent;
    if (folderInfo(folder, &parent))
        adoptUnder(fd, parent);
}

void GroupShare::adopt(int fd, int folderFd)
{
    struct stat parent;
    if (::fstat(folderFd, &parent) == 0)
        adoptUnder(fd, parent);
}

void GroupShare::keep(int fd, const struct stat &old, const QString &folder)
{
    struct stat own;
    if (::fstat(fd, &own) == 0 && own.st_gid != old.st_gid)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    unsigned mode = old.st_mode & 07777;
    if (isShared(folder))
        mode = sharedMode(mode);
    // A share keeps its own permissions and refuses the change; the file
    // then has the share's, as every file written there does.
    (void)::fchmod(fd, mode);
}
