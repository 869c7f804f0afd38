// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// passwd NAME [--dir DIR]: a new password for a user who forgot hers; the
// grades stay. The password is typed, never given on the command line.
class PasswdCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
