// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// What the class's files hold about each user: the list file "users" in its
// order and the grades test1 … test10 from users.ini, read the way the
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
    QList<QByteArray> withoutRecord; // listed, but no section in users.ini
    QList<QByteArray> unlisted;      // sections of users.ini the list lacks
    QList<QByteArray> repeated;      // names the list holds a second time
    QList<BadGrade> badGrades;
    QStringList fileErrors; // files that could not be read, in the runtime's words

    // The files of the current directory. Missing files are reported, not
    // thrown.
    static ClassRecords read();

    // From the bytes of the list file and of users.ini.
    static ClassRecords parse(const QByteArray &list, const QByteArray &usersIni);
};
