// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassSettings.h"
#include "ClassStore.h"
#include "UserChange.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class TestRun;

// The state of one program run and its rules: who is logged in, the score
// table, whether it is written back at the end, the administrator settings
// and the user list. It reads and writes the class's records through its
// store and never opens a window: foreseen outcomes come back as results,
// unforeseen failures as RuntimeError, and what the window must redraw as
// signals.
class Session : public QObject
{
    Q_OBJECT

public:
    using Scores = ClassStore::Scores;

    enum class LoginResult
    {
        Refused,       // no such user, or another password
        Ignored,       // the administrator's name with another password
        Student,       // grades loaded, write-back set
        Administrator, // nothing loaded
    };

    struct Login
    {
        LoginResult result = LoginResult::Refused;
        // Tests whose rows stay locked: a student's tests below the pass
        // grade, in order. Every other row is open.
        QList<QByteArray> locked;
    };

    enum class WriteBack
    {
        NotNeeded,   // no student is logged in
        Written,     // test1 … test12 stored
        UserRemoved, // the user's registration went meanwhile; nothing stored
    };

    struct RunEnd
    {
        int grade = 0;
        QByteArray logLine;
        // Every test whose grade in the table passes, in order.
        QList<QByteArray> passed;
    };

    // What the settings panel's save came to.
    enum class SettingsSave
    {
        Saved,
        Refused,      // not saved: see settingsText()
        NeedsConfirm, // saved only once confirmed: ask settingsText()
        Mismatch,     // the password and its repetition differ: say settingsText()
    };

    // The store outlives the session.
    explicit Session(ClassStore &store, QObject *parent = nullptr);

    // The show step's loads, in order: the user list (none yet on a first
    // run), the write-back flag cleared, the administrator settings. A
    // failing step ends it; the steps before it keep their effect.
    void start();

    // Takes the name as the logged-in user name whether or not it succeeds.
    Refusal registerUser(const QString &name, const QString &password);
    Login logIn(const QString &name, const QString &password);
    // False when the name has no such password: nothing is removed.
    bool removeUser(const QString &name, const QString &password);
    // How many of the tests the user has a grade for (a stored value other
    // than "0"), for the question before a removal; nothing when the name
    // has no such password.
    std::optional<int> gradeCount(const QString &name, const QString &password) const;
    // The administrator's changes to a registered user; the grades stay. A
    // rename takes the test log's and the answer record's lines along and
    // reloads the user list.
    UserChange resetPassword(const QByteArray &name, const QString &password);
    UserChange renameUser(const QByteArray &from, const QString &to);
    // Every removal kept under the name, oldest first, with its grades.
    QList<ClassStore::Removal> keptRemovals(const QByteArray &name) const;
    // A removed user back, the removal picked by the start of its date and
    // time where several are kept; over an account registered again only as
    // `over` says. The user list is reloaded after a restore.
    UserChange restoreUser(const QByteArray &name, const QByteArray &removed,
                           UserChange::Over over);
    // A grade set by hand with the teacher's reason, in the record of changes
    // as the tool's grade puts it; the name as stored, or none where the
    // user is not registered.
    QByteArray setGrade(const QByteArray &name, int test, int grade, const QString &reason);
    // The administrator's pick: the user's twelve grades replace the table.
    // Entries read before a failing one keep their new values.
    void pick(const QByteArray &name);

    // The grade of the finished run into the table, its answers into the
    // record file beside the log, then its line into the test log; a record
    // file or log that cannot be appended to throws with the grade already
    // in the table.
    RunEnd finishRun(const TestRun &run);
    // The twelve grades the class's server gave at a run's end replace the
    // table; every test whose grade passes, in order.
    QList<QByteArray> takeGrades(const Scores &grades);
    // The table into the user's record, after a student's login only.
    WriteBack writeBack();

    // The administrator's edited settings checked and stored, unless they
    // are refused or, when not confirmed, need the administrator's yes. The
    // settings in memory stay as read at start-up until the next start.
    SettingsSave saveSettings(const ClassSettings &edited, bool confirmed);
    // The same for the settings panel, where the password is typed twice:
    // two that differ save nothing.
    SettingsSave saveSettings(const ClassSettings &edited, const QString &password,
                              const QString &repeated, bool confirmed);
    // The refusal or the question of the last save, Windows-1251.
    const QByteArray &settingsText() const { return m_settingsText; }

    // The Russian text of a refusal or of a failed change to a user.
    QByteArray refusalText(Refusal refusal) const { return m_store.refusalText(refusal); }
    QByteArray problemText(const UserChange &change, const QByteArray &typedName) const
    {
        return m_store.problemText(change, typedName);
    }

    ClassStore &store() const { return m_store; }

    const QByteArray &userName() const { return m_userName; }
    const Scores &scores() const { return m_scores; }
    // The teacher's changes to the grades held, in Russian.
    const QStringList &changes() const { return m_changes; }
    bool writesBack() const { return m_writeBack; }
    const ClassSettings &adminSettings() const { return m_adminSettings; }
    const QList<QByteArray> &userList() const { return m_userList; }

signals:
    void usersChanged();
    // The list is loaded and the write-back cleared: the login screen comes up.
    void awaitingLogin();
    void settingsRead();

private:
    void setUsers(const QList<QByteArray> &users);
    // Whether the password is a user's: the administrator, whose log-in a
    // server also takes, is nobody's account, as a folder finds no such user.
    bool userPasswordMatches(const QByteArray &name, const QString &password) const;
    QList<QByteArray> passedTests() const;

    ClassStore &m_store;
    QByteArray m_userName;
    Scores m_scores{};
    QStringList m_changes;
    bool m_writeBack = false;
    ClassSettings m_adminSettings;
    QByteArray m_settingsText;
    QList<QByteArray> m_userList;
};
