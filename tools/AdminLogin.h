// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The administrator's login the tool asks for, as the window does (the
// settings' name and password), before a command that changes another
// user's records, the tests or the settings, or shows grades, passwords,
// answer keys or the log. On a terminal it is typed, the password without
// echo; a script names a file holding the name and the password, one a line,
// that nobody else may read. Never on the command line, where every user of
// the machine sees it.
class AdminLogin
{
public:
    static const QString Option; // "--admin-login"

    // Takes "--admin-login FILE" (or "=FILE") out of the arguments before
    // "--" and keeps it for check; throws RuntimeError when FILE is missing.
    static void takeOption(QStringList *args);
    // The file given before the command's name.
    static void setFile(const QString &file);
    // The command needs the login; command names it in the refusal.
    static void require(const QString &command);

    // When the command needs the login and it has not been given yet:
    // asks for it, or reads it from the file, and compares it with the
    // settings of the class folder that is current, or of the folder one or
    // two levels up that holds them (a test in data/tests). A folder without
    // a settings file has no administrator, and nothing to check. Throws
    // RuntimeError naming the command when the login is refused or missing.
    static void check();
    // The same where the class's settings are kept elsewhere: `matches`
    // says whether the login and password typed are the administrator's (a
    // server checks them itself).
    static void checkWith(const std::function<bool(const QString &, const QString &)> &matches);

    // The login and the password as typed or read from the file, for a
    // class whose settings are kept elsewhere (a server checks them itself).
    // Throws RuntimeError naming the command when neither can be had.
    static QStringList typed();
};
