#pragma once

#include <QString>

// A class folder named by its network address, "smb://server/share/folder",
// as the lab's administrator writes it once for every machine. The desktop's
// own client mounts it (GVFS, as the file manager does) and the program works
// in the local path GVFS gives, which differs from user to user.
class ShareAddress
{
public:
    static bool isAddress(const QString &text);

    // Mounts the share when it is not mounted yet and returns the folder's
    // local path; empty, with the reason in the user's words, when the share
    // cannot be reached.
    static QString localPath(const QString &address, QString *problem);
};
