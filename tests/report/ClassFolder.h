// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QMap>

// A class folder in the current directory made the way the program makes
// one: users registered through the store, grades stored as a test run
// stores them, log lines built by the test run's own code. It keeps its own
// tally of what it wrote, for the report to be checked against.
class ClassFolder
{
public:
    explicit ClassFolder(const QByteArray &logName = "journal.txt");

    void registerUser(const QByteArray &name);
    void storeGrade(const QByteArray &name, int test, const QByteArray &stored);
    void finishRun(const QByteArray &name, int test, int grade, const QDateTime &when);
    // A line of any content; returns its line number.
    int appendLine(const QByteArray &line);

    // A test file of one question a text, answers "A)" … "E)" and the right
    // answers stored as given; returns its version.
    static QByteArray writeTest(int test, const QList<QByteArray> &questions,
                                const QByteArray &rightAnswers);
    // An answer record of a finished run, made by the record's own code, or
    // a line of any content; returns its line number in the record file.
    int recordAnswers(const QByteArray &name, int test, const QByteArray &version,
                      const QByteArray &chosen, const QByteArray &right);
    int appendRecordLine(const QByteArray &line);

    int runs(const QByteArray &name, int test) const;
    QDate lastDate(const QByteArray &name) const;
    const QMap<QDate, int> &runsPerDay() const { return m_perDay; }
    int lines() const { return m_lines; }

    const QByteArray logName;

private:
    QHash<QByteArray, int> m_runs; // folded name + test number
    QHash<QByteArray, QDate> m_last;
    QMap<QDate, int> m_perDay;
    int m_lines = 0;
    int m_recordLines = 0;
};
