// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AnswerRecord.h"
#include "GradeChange.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class ClassStore;
class StoredTest;

// How each question of each test did, from the answer records beside the
// test log: for every test and every version of its file that has records,
// per question the runs, the share answered right, how well it separates
// the strong from the weak, and which answers drew the class. Records that
// cannot be read are kept with their line numbers (counted from 1).
class ItemAnalysis
{
public:
    static constexpr int Choices = 5;
    // Below this many runs a question is not called too easy or too hard.
    static constexpr int FewestRunsForEase = 10;
    static constexpr int EasyFrom = 95; // per cent right, and more
    static constexpr int HardUpTo = 20; // per cent right, and less
    // A discrimination is called negative below this, not at any value under
    // zero: with a class's few dozen runs a true zero scatters by about
    // ±0.1, and item analysis practice reads values from −0.05 to 0.05 as
    // none at all.
    static constexpr double NegativeBelow = -0.05;

    // Which runs are counted: each student's first attempt at a version (so
    // that a student who retook a test five times does not weigh five
    // times), or every run.
    enum class Attempts
    {
        First,
        All,
    };

    enum Flag
    {
        KeyOutdrawn = 1,            // a wrong answer chosen more often than the key
        NegativeDiscrimination = 2, // the weak answer it right more often than the strong
        TooEasy = 4,
        TooHard = 8,
    };
    static QString flagText(Flag flag);
    // The texts of the flags set, in the order above.
    static QStringList flagTexts(int flags);

    struct Question
    {
        int number = 0;
        QByteArray text; // from the current test file; empty for another version
        int runs = 0;
        int right = 0;
        std::array<int, Choices> choices{}; // how many chose A … E
        int key = 0;                        // 1 … 5; 0 where no answer counts right
        // Pearson's r between the question's 0/1 score and the run's score
        // on the other questions; none where either does not vary.
        std::optional<double> discrimination;
        int flags = 0;

        double facility() const { return runs ? 100.0 * right / runs : 0.0; }
    };

    struct Version
    {
        int test = 0;
        QByteArray version;
        bool current = false; // the test file as it stands has this version
        // Graded by the key a regrade gave it, which the test file as it
        // stands has: the current questions with their key mended.
        bool mended = false;
        int runs = 0;
        int repeats = 0; // later attempts of the same students, not counted
        qsizetype firstLine = 0;
        QList<Question> questions;
    };

    enum class Fault
    {
        FieldCount,
        BadTime,
        UnknownTest,
        BadGrade,
        BadVersion,
        BadAnswers,
        OtherLength,    // more or fewer answers than the other records of its version
        OtherKey,       // right answers other than those of the other records of its version
        TooManyAnswers, // more answers than the test has questions
    };

    struct BadRecord
    {
        qsizetype line = 0;
        Fault fault = Fault::FieldCount;
        QByteArray text;
    };

    QString path;    // the record file as shown in messages; empty when no log is named
    QString failure; // why the record file could not be read
    qsizetype lines = 0;
    int records = 0;         // records counted
    QList<Version> versions; // by test, then by first record
    QList<BadRecord> bad;    // by line

    // More questions than any test holds; a record with more answers is
    // none of the program's, whatever its test file says.
    static constexpr int MaxQuestions = 1000;
    // The question count of each test file, where it can be read.
    using QuestionCounts = std::array<int, 10>;

    // changes: the record of the teacher's changes, whose keys a regrade gave
    // to the versions it graded. A record answers at most as many questions
    // as its test has (counts, where known) and never more than MaxQuestions,
    // so a record of megabytes of digits costs its line and no more.
    static ItemAnalysis parse(const QByteArray &bytes, Attempts attempts = Attempts::First,
                              const QList<GradeChange> &changes = {},
                              const QuestionCounts &counts = {});

    // Gives the versions of a test that match the version of the test as it
    // stands the question texts it holds now.
    void nameQuestions(int test, const QByteArray &currentVersion, const StoredTest &current);

    // The store's answer record, and its tests as they stand; the analysis
    // of questions of the attempts asked for. A missing record is no fault:
    // no run has finished since records began.
    static ItemAnalysis read(const ClassStore &store, Attempts attempts = Attempts::First);
};
