// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class ServerStore;

// The results server a command of the tool works on instead of a course
// folder: named with --server URI (before or after the command's name), or,
// where no folder is given with --dir, by the Server= line of the system
// configuration that the lab machines read too.
class ClassServer
{
public:
    static const QString Option; // "--server"

    // Takes "--server URI" (or "=URI") out of the arguments before "--".
    // Throws RuntimeError when the URI is missing.
    static void takeOption(QStringList *args);
    // The server given before the command's name.
    static void setUri(const QString &uri);
    // Whether --server was given.
    static bool given();

    // The server of a command that names `dir` (empty: none) as its folder;
    // empty when the command works on a folder. Both named is a usage error.
    static QString chosen(const QString &dir);

    // The class on the server, with the administrator logged in through
    // it where the command needs the login. A server that cannot be reached
    // or a URI that is none throws WorkingFolder::Unreachable; a refused
    // log-in throws RuntimeError naming the command.
    static std::unique_ptr<ServerStore> open(const QString &uri);
};
