// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// remove NAME [--dir DIR]: the login panel's removal of a user, without the
// password: the tool is the administrator's.
class RemoveCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
