// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class ServerStore;

// The class on a results server checked before a lesson, as the doctor
// checks a folder: the lab reaches it with the server's certificate
// checked, its schema is the one the program installs, the lab still has
// a free connection, and (with the administrator's log-in) the tests are
// published.
class ServerCheck
{
public:
    struct Result
    {
        QStringList findings;
    };

    // `schemaFolder`: the installed schema files; empty skips that check.
    static Result run(ServerStore &store, const QString &schemaFolder);
};
