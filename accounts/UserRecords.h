// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The files that name a user line by line beside users.ini: the test log
// (user " | " time " | " date " | " test " | " grade) and the answer record
// beside it (the log's name with "-answers" before its extension; user and
// six fields). A user name may itself hold " | ", so the user is what
// precedes the fields counted from the end of the line.
class UserRecords
{
public:
    static constexpr int LogFieldsAfterUser = 4;
    static constexpr int AnswerFieldsAfterUser = 6;

    // "testlog.txt" gives "testlog-answers.txt", "log" gives "log-answers".
    static QByteArray answerRecordName(const QByteArray &logName);
    // A record file beside the log, named as the program stores names:
    // "-" + word before the last extension of the last component, or at the
    // end of a name without one.
    static QByteArray besideLog(const QByteArray &logName, const QByteArray &word);

    // The text with the user of every line whose user equals `from` without
    // regard to letter case replaced by `to`; line ends and every other byte
    // stay. *changed counts the lines.
    static QByteArray renamed(const QByteArray &text, const QByteArray &from, const QByteArray &to,
                              int fieldsAfterUser, int *changed);

    struct Renaming
    {
        int logLines = 0;
        int answerLines = 0;
    };

    // Renames the user in the log and the answer record where they exist,
    // each under its lock and replaced whole. Throws the runtime's
    // input/output error when a file cannot be read or written.
    static Renaming rename(const QByteArray &logName, const QByteArray &from, const QByteArray &to);

    // Whether both files can be replaced where they exist.
    static bool canRename(const QByteArray &logName, QString *refused);
    // Reads the log and the answer records beside it as rename would, so
    // that a renaming they would stop part way stops before anything changes.
    // Throws RuntimeError naming the file that cannot be read.
    static void checkReadable(const QByteArray &logName);
};
