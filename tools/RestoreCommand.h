// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// restore NAME [--dir DIR]: a removed user back with the grades the removal
// kept in removed-users.ini.
class RestoreCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
