// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <array>
#include <optional>

// A class kept in memory, for the tests of what asks a store (the session,
// the report) where the files' layout is not the point. It keeps the rules
// of the interface, not those of any one place: a name is refused only when
// it is empty, holds "[" or "]", is the administrator's or is taken in any
// letter case; a missing value reads as "<none>".
class MemoryStore : public ClassStore
{
public:
    struct User
    {
        QByteArray name;
        QByteArray password;
        std::array<QByteArray, TestCount> grades;
        QDateTime removedAt; // where it is among the removed
    };

    struct Question
    {
        QByteArray text;
        std::array<QByteArray, 5> answers;
        QByteArray right;
    };

    // Open to the tests, which set a class up and look at it directly.
    QList<User> records;
    QList<QByteArray> list;
    QList<User> removed;
    std::optional<ClassSettings> stored; // the settings; none: unreadable
    QList<QByteArray> log;               // the log's lines, CR LF each
    QList<FinishedRun> answers;
    QByteArray changes; // the record of the teacher's changes to the grades
    QHash<QByteArray, QList<Question>> tests;

    // A user as a registration leaves them, the grades given first.
    void addUser(const QByteArray &name, const QByteArray &password,
                 const QList<QByteArray> &grades = {});

    Registration registerUser(const QByteArray &name, const QByteArray &password,
                              const QByteArray &adminLogin) override;
    std::optional<QByteArray> storedPassword(const QByteArray &name) const override;
    QByteArray gradeText(const QByteArray &name, int k) const override;
    quint8 grade(const QByteArray &name, int k) const override;
    QByteArray missing() const override { return "<none>"; }
    bool writeScores(const QByteArray &name, const Scores &scores) override;
    QList<QByteArray> removeUser(const QByteArray &name) override;
    UserChange setPassword(const QByteArray &name, const QByteArray &password) override;
    UserChange rename(const QByteArray &from, const QByteArray &to,
                      const QByteArray &adminLogin) override;
    UserChange restore(const QByteArray &name, const QByteArray &adminLogin,
                       const QByteArray &removed, UserChange::Over over) override;
    QList<Removal> removals(const QByteArray &name) const override;
    bool isRegistered(const QByteArray &name) const override;
    QList<QByteArray> users() const override { return list; }
    QList<StoredUser> userRecords() const override;
    QByteArray refusalText(Refusal refusal) const override;

    QByteArray appendRun(const FinishedRun &run) override;
    QByteArray logText() const override;

    UsersInput usersInput() const override;
    Lines logLines() const override;
    Lines answerLines() const override;
    Lines changeLines() const override;
    int recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes) override;

    ClassSettings readSettings() override;
    ClassSettings settings() const override;
    void writeSettings(const ClassSettings &settings) override { stored = settings; }
    QByteArray logNameRefusal(const QByteArray &) const override { return {}; }

    QStringList archive(const std::function<void(const QList<RecordCopy> &)> &keep) override;

    QByteArray startRefusal(const QByteArray &testName) const override;
    QString testFault(const QByteArray &testName) const override;
    std::unique_ptr<StoredTest> test(const QByteArray &testName) const override;
    QByteArray testVersion(const QByteArray &testName) const override;
    std::shared_ptr<const StoredTest> testAsItStands(const QByteArray &testName,
                                                     QByteArray *version) const override;

    // The answer record's line of a run, as answerLines() gives it.
    static QByteArray answerLine(const FinishedRun &run);

private:
    qsizetype find(const QByteArray &name) const;
    Refusal nameRefusal(const QByteArray &name, const QByteArray &adminLogin) const;

    bool m_logKept = false;
};
