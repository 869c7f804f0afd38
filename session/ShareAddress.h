// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A class folder named by its network address, "smb://server/share/folder",
// as the lab's administrator writes it once for every machine. The desktop's
// own client mounts it (GVFS, as the file manager does) and the program works
// in the local path GVFS gives, which differs from user to user.
class ShareAddress
{
public:
    // What a share that is not open to guests asks for. The password is
    // handed to the client once and never kept.
    struct Login
    {
        QString user;
        QString domain; // empty: the server's own
        QString password;

        bool isEmpty() const { return user.isEmpty() && password.isEmpty(); }
    };

    struct Mount
    {
        QString path;    // the folder's local path; empty when not reached
        QString problem; // why not, in the user's words
        // The share wants a user and a password: none was given, or the
        // server refused the one given (loginRefused).
        bool needsLogin = false;
        bool loginRefused = false;
    };

    static bool isAddress(const QString &text);

    // Mounts the share when it is not mounted yet, with the login when one
    // is given, and returns the folder's local path or why it cannot be had.
    static Mount mount(const QString &address, const Login &login = Login());
};
