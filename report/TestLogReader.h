// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSet>
#include <QString>

class ClassStore;

// The test log as the test run writes it: user " | " time " | " date " | "
// test " | " grade, one finished run a line, in the order of the runs. Lines
// it cannot take are kept with their numbers (counted from 1).
class TestLogReader
{
public:
    struct Run
    {
        QByteArray user;
        QByteArray dateText;
        QDate date; // invalid when the text is no date LogDate knows
        QByteArray timeText;
        QTime time; // invalid when the text is no time LogDate knows
        qsizetype line = 0;
        int test = 0; // 1 … 10
        int grade = 0;
    };

    enum class Fault
    {
        FieldCount,  // not five fields
        UnknownTest, // not test1 … test10
        BadGrade,    // not one digit 1 … 5
        BadDate,     // the run is counted, but not on any day
    };

    struct BadLine
    {
        qsizetype line = 0;
        Fault fault = Fault::FieldCount;
        QByteArray text;
    };

    QString path;         // the log as shown in messages; empty when none is named
    QString failure;      // why the settings or the log could not be read
    bool missing = false; // named, but not there: no run has finished yet
    qsizetype lines = 0;
    QList<Run> runs; // dated or not, in file order
    QList<BadLine> bad;

    // The store's log. Settings or a log that cannot be read are reported,
    // not thrown. knownUsers: folded names a name holding " | " may be (see
    // parse).
    static TestLogReader read(const ClassStore &store, const QSet<QByteArray> &knownUsers = {});

    // Lines end with CR LF, LF or CR; the line end after the last line does
    // not make an empty line. A line of more than five fields is taken when
    // the fields before the last four join to one of knownUsers (folded): the
    // program lets a name hold " | ".
    static TestLogReader parse(const QByteArray &bytes, const QSet<QByteArray> &knownUsers = {});
};
