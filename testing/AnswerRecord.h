// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QTime>

// What a finished test run answered, one line a run in the file beside the
// test log ("testlog.txt" gives "testlog-answers.txt"): user " | " date and
// time " | " test " | " grade " | " version " | " chosen " | " right, CR LF,
// Windows-1251. The date and time are "YYYY-MM-DD HH:MM:SS" in local time,
// whatever the locale; the version is the first 8 lower-case hex digits of
// SHA-256 over the test file's bytes when the run began; chosen holds one
// digit 1 … 5 a question, right the stored right answer's digit or 0 where
// the question has none that a button could give.
class AnswerRecord
{
public:
    enum class Fault
    {
        None,
        FieldCount,  // fewer than seven fields, or an empty user
        BadTime,     // no "YYYY-MM-DD HH:MM:SS" of a real date and time
        UnknownTest, // not test1 … test10
        BadGrade,    // not one digit 1 … 5
        BadVersion,  // not 8 lower-case hex digits
        BadAnswers,  // chosen not all 1 … 5, right not all 0 … 5, or lengths apart
    };

    static constexpr int VersionLength = 8;

    QByteArray user;
    QDate date;
    QTime time;
    QByteArray testName;
    int grade = 0;
    QByteArray version;
    QByteArray chosen;
    QByteArray right;

    QByteArray line() const;

    // The fields of a line as views into it, for a reader of many lines
    // that keeps few of them.
    struct Fields
    {
        QByteArrayView user, testName, version, chosen, right;
        QDate date;
        QTime time;
        int test = 0; // 1 … 10
        int grade = 0;
    };

    // One line without its line end. A user name may hold " | ": the six
    // fields after it are counted from the end.
    static Fault parse(QByteArrayView line, AnswerRecord &record);
    static Fault split(QByteArrayView line, Fields &fields);

    // test1 … test10 in any letter case: the number, or 0.
    static int testNumber(QByteArrayView name);

    // The record file of a test log, named as the program stores names:
    // "-answers" before the last extension of the last component, or at the
    // end of a name without one.
    static QByteArray fileName(const QByteArray &logName);

    // "YYYY-MM-DD HH:MM:SS" of a real date and time, and nothing else.
    static bool parseTime(QByteArrayView text, QDate &date, QTime &time);
    static QByteArray timeText(const QDate &date, const QTime &time);

    static QByteArray versionOf(const QByteArray &testFileBytes);

    // The digit a right answer as stored is recorded by.
    static char rightDigit(const QByteArray &stored);

    // Creates the record file beside the log when it is missing, then
    // appends the line under the file's lock, as the log is appended to.
    // Throws the runtime's input/output error when it cannot.
    static void append(const QByteArray &logName, const QByteArray &line);
};
