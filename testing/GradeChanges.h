// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GradeChange.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <functional>

class ClassStore;

// The teacher's changes to the grades: every recorded run of a test graded
// again by its current key after a wrong key was mended, and a grade set by
// hand. Each change lands in the record of changes beside the log
// (GradeChange) before the grade it stores, so that no grade changes
// without its line.
//
// A run is graded again when it answered as many questions as the test has
// now: its version's questions are taken for the current ones with the key
// mended. A run of a version with another number of questions cannot be
// matched to them and keeps its grade. The grade stored for a user changes
// only where it is the grade of the user's last run of the test (so not a
// grade set by hand since, nor one of a user removed or registered again).
class GradeChanges
{
public:
    struct Plan
    {
        int test = 0;
        QString testMark;            // how the texts name the test (CourseStructure::testMark)
        QByteArray key;              // the current right answers, one digit a question
        QList<GradeChange> regrades; // the runs whose grade changes, in record order
        QList<GradeChange> keys;     // one a version graded by the key
        QList<bool> stores;          // for each regrade: whether it changes the stored grade
        int runs = 0;                // the test's runs graded again
        int otherCount = 0;          // runs kept, answered for another number of questions
        QList<qsizetype> badLines;   // records that cannot be read
    };

    // From the bytes of the answer records, the changes recorded so far (a
    // run's grade is its last regrade's), and the grade stored for a user.
    static Plan plan(int test, const QByteArray &key, const QByteArray &records,
                     const QList<GradeChange> &done,
                     const std::function<int(const QByteArray &user)> &storedGrade);

    // The same for the store's class: the test's key as it stands, the
    // answer record and the changes so far, the stored grades. Throws
    // RuntimeError when one cannot be read.
    static Plan plan(const ClassStore &store, int test);

    // Whether two plans would record and store the same: a plan shown to the
    // teacher is applied only while the records still give it.
    static bool sameChanges(const Plan &a, const Plan &b);

    // Records the plan's changes with the time now and stores the grades it
    // marks; returns how many grades were stored. Throws as the store does.
    static int apply(ClassStore &store, const Plan &plan, const QDateTime &now);

    // Sets the grade of a registered user (in any letter case) by hand with
    // the teacher's reason; the user's name as stored, or none where the user
    // is not registered. Throws as the store does.
    static QByteArray setGrade(ClassStore &store, const QByteArray &user, int test, int grade,
                               const QByteArray &reason, const QDateTime &now);

    // Why a grade set by hand is refused, in Russian; empty when it is not:
    // a grade 1 … 5 and a reason the record can spell.
    static QString overrideRefusal(int grade, const QString &reason);

    // The grade of the recorded answers by the key.
    static int gradeOf(QByteArrayView chosen, QByteArrayView key);
};
