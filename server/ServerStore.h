// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassStore.h"
#include "ServerAddress.h"
#include "ServerClient.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The class kept on a PostgreSQL server, through its API (server/README.md).
// The server holds no password, only its hash, and never hands out a test's
// key to a student: what needs the administrator's authority (the user list,
// every grade, the log, the answers, the tests with their keys, the
// settings, changes to other users) needs the administrator's log-in first
// (passwordMatches() with the administrator's login and password), and is
// refused without it. A run is started, answered and graded by the server
// itself, so a run finished elsewhere cannot be recorded here.
//
// A call whose connection died is made again once on a new connection, as
// ServerClient allows; a refusal of the server comes back as the
// operation's result where the interface has one, else as RuntimeError in
// Russian naming the server and the cause.
class ServerStore : public ClassStore
{
public:
    explicit ServerStore(const ServerAddress &address);
    ~ServerStore() override;

    // "сервере host:port/database", as the messages name the server.
    QString shown() const;
    ServerClient &client() { return m_client; }
    // Whether the administrator has logged in through this store.
    bool isAdministrator() const { return !m_adminToken.isEmpty(); }
    // The administrator's session, for the calls the interface has no
    // operation for (the tool's server commands); empty before the log-in.
    const QString &adminToken() const { return m_adminToken; }
    // The session of the student who logged in last, for the student's test
    // runs; empty before a student's log-in.
    const QString &userToken() const { return m_userToken; }

    // The server checks the password: the administrator's log-in opens the
    // administrator's calls, a user's gives that user's own grades.
    bool passwordMatches(const QByteArray &name, const QByteArray &password) const override;
    bool checksAdministrator() const override { return true; }
    bool administratorLoggedIn() const override { return m_administratorLast; }

    Registration registerUser(const QByteArray &name, const QByteArray &password,
                              const QByteArray &adminLogin) override;
    // Nothing: the server keeps only a hash.
    std::optional<QByteArray> storedPassword(const QByteArray &name) const override;
    QByteArray gradeText(const QByteArray &name, int k) const override;
    quint8 grade(const QByteArray &name, int k) const override;
    QByteArray missing() const override;
    bool writeScores(const QByteArray &name, const Scores &scores) override;
    // Without the administrator's log-in, a student's own log-in just made
    // (passwordMatches(), as the log-in panel's removal makes it) removes
    // that student alone, and the list comes back empty: a student may not
    // read it.
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

    // Refused: the server grades and records a run itself.
    QByteArray appendRun(const FinishedRun &run) override;
    QByteArray logText() const override;

    UsersInput usersInput() const override;
    Lines logLines() const override;
    Lines answerLines() const override;
    Lines changeLines() const override;
    int recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes) override;

    // The password is never read back: the settings read give it empty, and
    // a write with an empty password keeps the one the server has.
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

    // The server's records in the course folder's formats, as a folder holds
    // them under their file names: users.ini (grades, and passwords where
    // given: the server has none to give), users, removed-users.ini, the log
    // and its answer record under the settings' log name. For the archive
    // and the export.
    QList<RecordCopy> recordCopies(const QHash<QByteArray, QByteArray> &passwords = {}) const;

    // A test file's bytes as the test's new published version, its
    // questions, answers and keys read as a run reads them; the runs taken
    // keep their version. Returns the version; throws RuntimeError when the
    // test cannot be run (no questions) or the server refuses it.
    int publish(const QByteArray &testName, const QByteArray &file);
    // The test file as last published; nothing when it never was.
    std::optional<QByteArray> publishedFile(const QByteArray &testName) const;

    // A test's attempt limit and the least pause between its attempts, as
    // the server keeps them; nothing where there is none, as in a folder.
    struct Limits
    {
        std::optional<int> attempts;
        std::optional<int> pauseSeconds;
    };
    Limits limits(const QByteArray &testName) const;
    void setLimits(const QByteArray &testName, const Limits &limits);

    // The refusal a server's code stands for, or None.
    static Refusal refusalOf(const QString &code);

private:
    struct Published
    {
        int test = 0;
        QByteArray digest;
        QByteArray file;
        bool published = false;
    };

    // The administrator's call: refused before the log-in; a refusal of the
    // server thrown as RuntimeError.
    QList<QVariantList> admin(const QString &sql, const QVariantList &values = {}) const;
    // A refusal of the server as the store's failure.
    [[noreturn]] void fail(const ServerClient::Refused &refused) const;
    QList<QVariantList> listRows() const;
    std::optional<QByteArray> storedName(const QByteArray &name) const;
    std::optional<Published> published(const QByteArray &testName) const;
    QByteArray logBytes() const;
    QByteArray answerBytes() const;
    QByteArray changeBytes() const;
    // The removals kept under the name: the server's number of each, and
    // the removal as the interface gives it.
    QList<std::pair<qint64, Removal>> removalRows(const QByteArray &name) const;

    mutable ServerClient m_client;
    mutable QString m_adminToken;
    // The user who logged in last, and the session's token.
    mutable QByteArray m_user;
    mutable QString m_userToken;
    // Whether the last log-in was the administrator's.
    mutable bool m_administratorLast = false;
    // The log name the settings gave when last read.
    QByteArray m_keptLog;
};
