// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"
#include "ClassStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// What the class's records hold about each user: the user list in its order
// and the grades test1 … test10 of each user's record, read the way the
// progress view reads them. Nothing is written; whatever cannot be read is
// kept so the report can say so.
class ClassRecords
{
public:
    static constexpr int Tests = CourseStructure::MaxTests;
    using Grades = std::array<std::optional<quint8>, Tests>;

    struct User
    {
        QByteArray name; // as the list file spells it
        bool hasRecord = false;
        // The stored whole number's low eight bits; nothing where the value is
        // missing or not a whole number.
        Grades grades;
    };

    struct BadGrade
    {
        QByteArray user;
        int test = 0;      // 1 … 10
        QByteArray stored; // the unscrambled text; the missing-value marker when absent
        bool missing = false;
    };

    QList<User> users;
    QList<QByteArray> withoutRecord; // listed, but without a record
    QList<QByteArray> unlisted;      // records the list lacks
    QList<QByteArray> repeated;      // names the list holds a second time
    QList<BadGrade> badGrades;
    QStringList fileErrors; // records that could not be read, in the store's words
    // What the store found about its own records.
    QList<ClassStore::Finding> storeFindings;

    // The store's records. What cannot be read is reported, not thrown.
    static ClassRecords read(const ClassStore &store);

    // From the records as the store gives them.
    static ClassRecords build(const ClassStore::UsersInput &input);
};
