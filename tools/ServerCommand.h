// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// server init|upgrade|status: a class on a PostgreSQL server. init and
// upgrade run on the server's host with a superuser (by default the local
// "postgres" through peer authentication); status as the lab does.
class ServerCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static QString details();
    static int run(const QStringList &args);
};
