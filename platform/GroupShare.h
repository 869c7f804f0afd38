// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct stat;

// A class folder that every student's account writes is shared through a
// Unix group: the folder is group-writable and usually carries the set-group
// bit, so what is made in it belongs to the folder's group. What the program
// makes there then has to stay writable by the group whatever the user's
// umask, the way a group-shared version-control repository keeps its files:
// the group gets the bits the owner has, and the file or folder the group of
// its folder. A folder that is not group-writable belongs to one account (or
// to a share whose server decides permissions), and nothing is changed there.
class GroupShare
{
public:
    // Whether the folder is group-writable.
    static bool isShared(const QString &folder);

    // The mode with the group's bits made equal to the owner's.
    static unsigned sharedMode(unsigned mode);

    // For a file or folder just created in folder (named, or open as
    // folderFd), open as fd: makes it group-writable in the folder's group
    // when the folder is shared. A refusal is left unreported: the file was
    // still written, and the class folder's check names what the group cannot
    // write.
    static void adopt(int fd, const QString &folder);
    static void adopt(int fd, int folderFd);

    // For the new file that replaces an old one: the old file's mode and
    // group, the group's bits added when the folder is shared.
    static void keep(int fd, const struct stat &old, const QString &folder);
};
