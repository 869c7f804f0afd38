// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What only a class kept in a course folder offers: where its files lie, for
// the tool's doctor, its unlock and the Windows program's ways with names.
// A store without files has none of it (ClassStore::folderAccess() gives
// nullptr), and a command that needs it says that the class is not in a
// folder.
class FolderAccess
{
public:
    // The class's records, each by what it holds. The log and the two
    // records beside it are those of the log the settings named when they
    // were last read (ClassStore::readSettings()).
    enum class Record
    {
        Users,    // users.ini
        List,     // users
        Removed,  // removed-users.ini
        Settings, // data\info\tumb.db
        Log,
        Answers,
        Changes,
    };

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
    // Where a record lies; empty for the log's three while no log is named.
    virtual QString recordFile(Record record) const = 0;

    // A record's bytes as the folder holds them, for a reader that must
    // point at a line of its own (a class moved elsewhere); empty when the
    // record is not there or no log is named. Throws RuntimeError when it
    // cannot be read or lies outside the folder.
    virtual QByteArray recordBytes(Record record) const = 0;
    // A test file's bytes; nothing when there is none. Throws RuntimeError
    // when it cannot be read.
    virtual std::optional<QByteArray> testBytes(const QByteArray &testName) const = 0;

    // The folders a new course folder holds: those of the settings and of
    // the tests. Throws RuntimeError when one cannot be made.
    virtual void makeFolders() = 0;
    // A record of a new folder written whole: it replaces what is there or
    // changes nothing and throws RuntimeError, its folders made as needed,
    // inside the folder and with the folder's modes. The log's three need
    // the settings written and read first.
    virtual void writeRecord(Record record, const QByteArray &bytes) = 0;
    virtual void writeTest(const QByteArray &testName, const QByteArray &bytes) = 0;
};
