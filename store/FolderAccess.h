// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What only a class kept in a course folder offers: where its files lie, for
// the tool's doctor, its unlock and the Windows program's ways with names.
// A store without files has none of it (ClassStore::folderAccess() gives
// nullptr), and a command that needs it says that the class is not in a
// folder.
class FolderAccess
{
public:
    virtual ~FolderAccess() = default;

    // The course folder, absolute.
    virtual QString folder() const = 0;
    // The local path of a name as the Windows program stores names (a
    // backslash-led or plain relative name, any letter case).
    virtual QString resolve(const QByteArray &storedName) const = 0;
    // The class's record files in the order every writer locks them
    // (users.ini, users, removed-users.ini, the log, the answer record),
    // whether or not they exist; the log's two only where the settings name
    // a log.
    virtual QStringList recordFiles() const = 0;
    virtual QString settingsFile() const = 0;
    // The test log and the answer record beside it; empty when the settings
    // cannot be read or name no log.
    virtual QString logFile() const = 0;
    virtual QString answerFile() const = 0;
    // The test file of "test1" … : "data\tests\<name>.ini" in the folder.
    virtual QString testFile(const QByteArray &testName) const = 0;
};
