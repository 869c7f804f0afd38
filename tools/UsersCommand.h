// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// users [--dir DIR]: every section of DIR/users.ini in file order with its
// grades test1 … test12 unscrambled; on stderr the names of the list file
// "users" without a section and the sections missing from the list.
class UsersCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
