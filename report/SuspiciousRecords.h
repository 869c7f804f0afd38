// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassRecords.h"
#include "TestLogReader.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// Records that do not add up, as a student who edits the class's files by
// hand leaves them: a grade no run gave, a section that another shadows or
// hides, log lines from the future or out of order, an administrator login
// that is a student's name.
class SuspiciousRecords
{
public:
    enum class Kind
    {
        GradeWithoutRun,  // above what registration writes, no finished run in the log
        CaseTwin,         // a second section whose name differs only in letter case
        OpenHeader,       // a header line without "]"
        NulByte,          // a NUL byte before a section
        FutureLine,       // a log line dated after today
        OutOfOrder,       // a log line dated, or timed the same day, before the line above it
        AdminIsUser,      // the administrator login is a registered user
        GradeNotLogged,   // runs logged, but none with the stored grade
        RunWithoutRecord, // a run logged after records began, without its answer record
        DuplicateKey,     // a key a second time in one section; the first counts
        DuplicateSection, // a section a second time under the same name; the first counts
        ImpossibleTime,   // a log line's time or date that no clock shows
        LogUnread,        // the log is there but cannot be read: its checks are not done
    };
    static constexpr int KindCount = int(Kind::LogUnread) + 1;
    // Findings of one kind listed; the rest are counted.
    static constexpr int MaxPerKind = 20;

    struct Finding
    {
        Kind kind = Kind::GradeWithoutRun;
        QByteArray user;    // the user it concerns, as stored; may be empty
        int test = 0;       // 1 … 10 for a grade
        qsizetype line = 0; // the line of users.ini or of the log, from 1
        QString text;       // the finding in Russian, naming what it concerns
    };

    QList<Finding> findings;
    std::array<qsizetype, KindCount> unlisted{}; // findings of each kind beyond MaxPerKind

    // Lists the finding, or counts it when its kind has MaxPerKind listed.
    void add(Finding finding);
    // "… и ещё N" lines for the kinds with findings beyond those listed.
    QStringList unlistedTexts() const;

    static const QString Title; // "Сомнительные записи"

    // The store's own findings about its records come first; adminLogin is
    // the administrator's login (empty when unread); today the date the log
    // is judged by. answerRecords: the answer record's text; the runs logged
    // from its first record on must each have theirs.
    static SuspiciousRecords find(const ClassRecords &records, const TestLogReader &log,
                                  const QByteArray &adminLogin, const QDate &today,
                                  const QByteArray &answerRecords = QByteArray());
    // With the store's settings and answer record, judged today.
    static SuspiciousRecords read(const ClassStore &store, const ClassRecords &records,
                                  const TestLogReader &log);

    // The findings about one user, joined for a table cell.
    QString aboutUser(const QByteArray &user) const;
};
