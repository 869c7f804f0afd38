// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassRecords.h"
#include "CourseStructure.h"
#include "GradeChange.h"
#include "ItemAnalysis.h"
#include "SuspiciousRecords.h"
#include "TestLogReader.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>
#include <array>

// The class at a glance, from the records and the test log: each user's
// grades, runs and the test reached, each test's grades, the runs per day,
// how each question did, and every part of the files that could not be read.
class ClassReport
{
public:
    static constexpr int Tests = ClassRecords::Tests;
    static constexpr int PassGrade = 3;

    // One test of the course, as the report heads its columns and sections.
    struct CourseTest
    {
        int test = 0; // k of testk, whose grade the records hold
        QString label;
        // Captioned as the shipped course captions it, "Тест №k": its columns
        // keep the headings the report has always given them, so that a
        // teacher's own sheet reading the tables still finds them.
        bool numbered() const;
    };

    struct Row
    {
        QByteArray name;
        bool hasRecord = false;
        ClassRecords::Grades grades;
        std::array<int, Tests> runs{};
        int totalRuns = 0;
        int reached = 1;         // the last test of the course, in its order, that its grades open
        QByteArray lastDateText; // the date field of the user's last log line
        QDate lastDate;

        // Whether the user has a grade of test k that a run gave: 1 … 5, not
        // the 1 that registration stores for test1 before any run.
        bool took(int k) const;
        bool passed(int k) const;
        // Kept at the test reached, failed after more than one run.
        bool stuck() const;
    };

    struct TestSummary
    {
        int test = 0;
        std::array<int, 5> grades{}; // users with grade 1 … 5
        int takers = 0;              // users with a grade that a run gave
        int passed = 0;
        int runs = 0;    // runs of the listed users
        int runners = 0; // listed users with at least one run
        double passShare() const { return takers ? 100.0 * passed / takers : 0.0; }
        double runsPerUser() const { return runners ? double(runs) / runners : 0.0; }
    };

    struct Stranger // a name in the log that the list does not hold
    {
        QByteArray name;
        int runs = 0;
        qsizetype firstLine = 0;
    };

    // The course's title and its tests in the order of its file; the records'
    // tests under their names where the course file is broken.
    QString title;
    QList<CourseTest> courseTests;
    // The course test's caption; the record's name for a test the course
    // does not hold.
    QString testLabel(int k) const;
    // How a sentence names the test (CourseStructure::testMark).
    QString testMark(int k) const;

    QList<Row> rows;          // in the order of the list file
    QList<TestSummary> tests; // the course's tests that anyone has taken or run, in its order
    QMap<QDate, int> runsPerDay;
    QList<TestLogReader::Run> runList; // the listed users' runs, in log order
    qsizetype logLines = 0;
    int logRuns = 0;
    QString logPath;
    ClassRecords records;
    QList<TestLogReader::BadLine> badLines;
    QList<Stranger> strangers;
    QList<ClassRecords::BadGrade> gradesAboveFive; // numbers, but no grade
    QStringList fileErrors;
    ItemAnalysis items;
    SuspiciousRecords suspicious;
    // The teacher's changes to the grades: regrades and grades set by hand.
    GradeChange::File changes;

    static ClassReport build(const ClassRecords &records, const TestLogReader &log,
                             const ItemAnalysis &items = ItemAnalysis(),
                             const CourseStructure &course = CourseStructure::defaultCourse());
    // The store's records and log, the course of the class's folder (the
    // current directory where the store keeps no folder); the analysis of
    // questions of the attempts asked for.
    static ClassReport read(const ClassStore &store,
                            ItemAnalysis::Attempts attempts = ItemAnalysis::Attempts::First);

    // Everything the report lists as not read.
    qsizetype problemCount() const;

    // The files read() took the class from, whether or not they are there,
    // where the store keeps it in files.
    QStringList inputs;
    // The class folder the students read, where the store keeps the class
    // in one; empty for a class on a server.
    QString classFolder;
    // Whether the path names one of them: an output written there would
    // replace the class's own file.
    bool isClassFile(const QString &path) const;
    // Why the report is not written at path, or nothing: one of the class's
    // files, or any place in the class folder (the current directory), where
    // every student reads the grades.
    QString outputRefusal(const QString &path) const;
};
