// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

class ClassStore;

// A change the teacher made to the grades, one line a change in the file
// beside the test log ("testlog.txt" gives "testlog-changes.txt"), so that
// the report and the progress view show every grade that no run gave:
//   when " | " kind " | " test " | " version " | " run " | " old " | " new
//   " | " key " | " reason " | " user, CR LF, Windows-1251.
// when and run are "YYYY-MM-DD HH:MM:SS" in local time; kind is
//   "regrade"  a run graded again with its test's mended key: version the
//              run's test version, run its date and time, key the right
//              answers it was graded by;
//   "grade"    a grade set by hand: reason the teacher's words; version, run
//              and key "-";
//   "key"      the runs of a version graded from now on by key, whether or
//              not a grade changed: old and new "-", user "-".
// old is the grade before (0 where there was none), new the grade after. In
// the reason "\" and "|" stand escaped as "\\" and "\|", so that only the
// user, which may hold " | ", runs to the line's end.
class GradeChange
{
public:
    enum class Kind
    {
        Regrade,
        Override,
        Key,
    };

    enum class Fault
    {
        None,
        FieldCount, // fewer than ten fields, or an empty user
        BadTime,    // when or run not a real date and time
        BadKind,
        UnknownTest,
        BadGrade,   // old not 0 … 5, new not 1 … 5 ("-" for a key)
        BadVersion, // not 8 lower-case hex digits, or "-" where a run needs one
        BadKey,     // not digits 0 … 5, or "-" where a run needs one
    };

    Kind kind = Kind::Override;
    QDate date;
    QTime time;
    int test = 0; // 1 … 10
    QByteArray version;
    QDate runDate;
    QTime runTime;
    int oldGrade = 0;
    int newGrade = 0;
    QByteArray key;
    QByteArray reason;
    QByteArray user;

    QByteArray line() const;
    static Fault parse(QByteArrayView line, GradeChange &change);

    // The file's name beside the log, as the program stores names.
    static QByteArray fileName(const QByteArray &logName);

    struct File
    {
        QString path; // as shown in messages; empty where no log is named
        QString failure;
        QList<GradeChange> changes;
        QList<qsizetype> badLines; // counted from 1
    };
    static File parseAll(const QByteArray &bytes);
    // The store's record of changes; a missing record holds no change.
    static File read(const ClassStore &store);

    // Appends the lines to the file beside the log under the file's lock,
    // creating it when missing: the folder store's write. Throws the
    // runtime's input/output error when it cannot.
    static void append(const QByteArray &logName, const QByteArray &lines);

    // The texts of the changes to one user's grades, oldest first, from the
    // store's record of changes; a record that cannot be read gives none.
    static QStringList textsFor(const ClassStore &store, const QByteArray &user);

    // The change for the report and the progress view, in Russian, without
    // the user: "тест 3: 2 → 4, пересчёт по исправленному ключу (попытка
    // 2026-03-02 10:15:00), 2026-03-09 12:00:00", the test named by its
    // course's mark (CourseStructure::testMark).
    QString text(const QString &testMark) const;
};
