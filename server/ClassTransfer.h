// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

class ServerStore;

// A class moved between a course folder and a server. The folder is read
// whole first and every record that the server could not hold as it stands
// is refused by its file and line, so that nothing is carried half: the
// records go to the server in one call (one transaction) or not at all. The
// way back writes a course folder in the original formats that the folder
// mode and the Windows program read; the server keeps only hashes, so every
// user and the administrator get new passwords, on a sheet as a roster's
// registration prints it.
class ClassTransfer
{
public:
    struct Reading
    {
        QJsonObject data;     // as cb.admin_import takes it
        QStringList refusals; // "users.ini, строка 4: …", in file order
        int users = 0, removed = 0, tests = 0, logLines = 0, runs = 0, changes = 0;
    };

    // The folder's records: the settings, users.ini with the list, the
    // removed users, the test log and its answer record, data\tests. Throws
    // RuntimeError when the folder cannot be entered or a file read.
    static Reading read(const QString &folder);

    // Reads the folder and, when nothing was refused, hands it to the server
    // in one call. Returns the reading (with the server's refusal among the
    // refusals when it refused); the server is changed only when the
    // refusals are empty.
    static Reading import(ServerStore &store, const QString &folder);

    struct Written
    {
        int users = 0;
        int tests = 0;
        int logLines = 0;
        int runs = 0;
    };

    // Writes the server's class as a new course folder (which must not
    // exist or be empty), whole or not at all, and the sheet of the new
    // passwords (UTF-8 HTML). The folder's administrator keeps the server's
    // login.
    static Written exportTo(ServerStore &store, const QString &folder, const QString &sheet);

    // A test file's questions as admin_publish takes them; empty when it has
    // no question.
    static QJsonArray questions(const QByteArray &testName, const QByteArray &file);
};
