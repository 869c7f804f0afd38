// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ServerAddress.h"
#include "ToolRun.h"

#include <QByteArray>
#include <QString>

// The private PostgreSQL cluster of the server fixture
// (tests/server/server-fixture), named to a test by COURSEBOOK_SERVER_STATE,
// the fixture's state file. A test that needs the server asks for the
// CTest fixture "server" and that variable, and takes a database of its own.
class ServerCluster
{
public:
    // The state's value of the key; empty when there is none.
    static QString value(const QByteArray &key);

    // Why the cluster cannot be had, worded for QSKIP and beginning with
    // "no database server: "; empty when it can.
    static QString unavailable();

    // A fresh database from the template with the class schema; empty with
    // the reason in *why when it could not be made.
    static QString newDatabase(QString *why);

    // The lab role's URI for the database, with TLS that checks the
    // server's certificate against the run's CA.
    static QString labUri(const QString &database);
    // The same, parsed as a lab machine parses its configuration line; the
    // run ends when the fixture's own address does not parse.
    static ServerAddress labAddress(const QString &database);
    // The superuser's, through the unix socket.
    static QString superuserUri(const QString &database);

    // psql on the URI with the script on its standard input, stopping at
    // the first error.
    static ToolRun psql(const QString &uri, const QByteArray &script);

    // The superuser's script on the database: what it printed, trimmed, or
    // "failed" with the server's error warned.
    static QByteArray superuser(const QString &database, const QByteArray &script);
    // The class's first settings, as the tool's server init makes them: the
    // administrator "admin" with the password, and the log's name; false
    // with the server's error warned.
    static bool initSettings(const QString &database, const QByteArray &password,
                             const QByteArray &logName = "log.txt");
    // Opens or closes the database to new connections; false when refused.
    static bool allowConnections(const QString &database, bool allowed);
    // Ends the lab role's connections to the database; how many.
    static int dropConnections(const QString &database);

    // Stops the server at once, as a crash would, or starts it again on the
    // same data and port; false when the fixture could not.
    static bool setRunning(bool running);

    // The server's log as far as it is written.
    static QByteArray log();
};

// Skips the test with the reason, or fails it where the suite must run
// everything (CI=true).
#define CB_SERVER_REQUIRED(why)                                                                    \
    do {                                                                                           \
        if (QStringList{"true", "1", "yes"}.contains(qEnvironmentVariable("CI")))                  \
            QFAIL(qPrintable(why));                                                                \
        QSKIP(qPrintable(why));                                                                    \
    } while (false)
