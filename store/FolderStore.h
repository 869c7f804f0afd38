// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassStore.h"
#include "FolderAccess.h"

#include <QByteArray>
#include <QString>

// The class kept in a course folder, as the Windows program keeps it:
// users.ini (scrambled values) and the list file "users", removed-users.ini,
// the test log and its answer record under the name the settings file
// "data\info\tumb.db" gives, and the tests under "data\tests". Every write
// goes under the files' locks, stays inside the folder and keeps the
// folder's group-shared modes; every name is matched without regard to
// letter case, as a folder copied from Windows needs.
//
// The folder is the process's current directory while the store works in
// it: the store makes it current when it is made and again before an
// operation when another store made another folder current.
class FolderStore : public ClassStore, public FolderAccess
{
public:
    // Throws RuntimeError when the folder cannot be made current.
    explicit FolderStore(const QString &folder);

    Registration registerUser(const QByteArray &name, const QByteArray &password,
                              const QByteArray &adminLogin) override;
    std::optional<QByteArray> storedPassword(const QByteArray &name) const override;
    QByteArray gradeText(const QByteArray &name, int k) const override;
    quint8 grade(const QByteArray &name, int k) const override;
    QByteArray missing() const override;
    bool writeScores(const QByteArray &name, const Scores &scores) override;
    QList<QByteArray> removeUser(const QByteArray &name) override;
    UserChange setPassword(const QByteArray &name, const QByteArray &password) override;
    UserChange rename(const QByteArray &from, const QByteArray &to,
                      const QByteArray &adminLogin) override;
    UserChange restore(const QByteArray &name, const QByteArray &adminLogin,
                       const QByteArray &removed, UserChange::Over over) override;
    QList<Removal> removals(const QByteArray &name) const override;
    bool isRegistered(const QByteArray &name) const override;
    QList<QByteArray> users() const override;
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
    void writeSettings(const ClassSettings &settings) override;
    QByteArray logNameRefusal(const QByteArray &logName) const override;

    QStringList archive(const std::function<void(const QList<RecordCopy> &)> &keep) override;

    QByteArray startRefusal(const QByteArray &testName) const override;
    QString testFault(const QByteArray &testName) const override;
    std::unique_ptr<StoredTest> test(const QByteArray &testName) const override;
    QByteArray testVersion(const QByteArray &testName) const override;
    std::shared_ptr<const StoredTest> testAsItStands(const QByteArray &testName,
                                                     QByteArray *version) const override;

    const FolderAccess *folderAccess() const override { return this; }

    // FolderAccess
    QString folder() const override { return m_folder; }
    QString resolve(const QByteArray &storedName) const override;
    QStringList recordFiles() const override;
    QString settingsFile() const override;
    QString logFile() const override;
    QString answerFile() const override;
    QString testFile(const QByteArray &testName) const override;
    QString recordFile(Record record) const override;
    QByteArray recordBytes(Record record) const override;
    std::optional<QByteArray> testBytes(const QByteArray &testName) const override;
    void writeRecord(Record record, const QByteArray &bytes) override;
    void writeTest(const QByteArray &testName, const QByteArray &bytes) override;
    void makeFolders() override;

    // The users' side of the report from the bytes of the list file and of
    // users.ini, as usersInput() reads them; failures left empty.
    static UsersInput usersFrom(const QByteArray &list, const QByteArray &usersIni);

private:
    // Makes the folder current again when another store moved away from it.
    void enter() const;
    // Replaces the file at path whole, making its folders.
    static void writeWhole(const QString &path, const QByteArray &bytes);
    // Makes the folders a record at path lies in; returns where it is written.
    static QString makeFolderOf(const QString &path);
    QString m_folder;
    // The log's name as readSettings() last gave it.
    QByteArray m_logName;
};
