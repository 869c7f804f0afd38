// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"

#include "CodePage.h"
#include "CourseStructure.h"
#include "GradeChange.h"
#include "GradeChanges.h"
#include "Grading.h"
#include "SettingsCheck.h"
#include "TestRun.h"

#include <QDateTime>

Session::Session(ClassStore &store, QObject *parent) : QObject(parent), m_store(store) {}

void Session::setUsers(const QList<QByteArray> &users)
{
    m_userList = users;
    emit usersChanged();
}

void Session::start()
{
    // A first run has no list yet; the first registration makes it. A store
    // that checks the administrator gives the list and the settings only
    // after that log-in.
    const bool open = !m_store.checksAdministrator();
    setUsers(open ? m_store.users() : QList<QByteArray>());
    m_writeBack = false;
    emit awaitingLogin();
    m_adminSettings = open ? m_store.readSettings() : ClassSettings();
    emit settingsRead();
}

Refusal Session::registerUser(const QString &name, const QString &password)
{
    m_userName = CodePage::fromUnicode(name);
    ClassStore::Registration registration;
    try {
        registration = m_store.registerTyped(name, password, m_adminSettings.login);
    } catch (...) {
        // Another copy may have changed the list meanwhile; a list not there
        // yet leaves the shown one as it is.
        const QList<QByteArray> users = m_store.users();
        if (!users.isEmpty())
            setUsers(users);
        throw;
    }
    if (registration.refusal == Refusal::None)
        setUsers(registration.list);
    return registration.refusal;
}

Session::Login Session::logIn(const QString &name, const QString &password)
{
    m_userName = CodePage::fromUnicode(name);
    const QByteArray typed = CodePage::fromUnicode(password);
    Login login;
    // Without an administrator login nobody takes the administrator's way in,
    // an empty name included.
    const bool byStore = m_store.checksAdministrator();
    if (!byStore && !m_adminSettings.login.isEmpty() && m_userName == m_adminSettings.login) {
        login.result =
            typed == m_adminSettings.password ? LoginResult::Administrator : LoginResult::Ignored;
        return login;
    }
    if (!m_store.passwordMatches(m_userName, typed))
        return login;
    if (byStore && m_store.administratorLoggedIn()) {
        setUsers(m_store.users());
        m_adminSettings = m_store.readSettings();
        emit settingsRead();
        login.result = LoginResult::Administrator;
        return login;
    }
    for (int k = 1; k <= CourseStructure::MaxTests; ++k)
        m_scores[k - 1] = m_store.grade(m_userName, k);
    m_changes = GradeChange::textsFor(m_store, m_userName);
    // Gated only once every grade has been read: a login that fails part way
    // locks nothing for the next one.
    for (int k = 1; k <= CourseStructure::MaxTests; ++k) {
        if (m_scores[k - 1] < Grading::PassGrade)
            login.locked.append(ClassStore::testName(k));
    }
    // A store that checks the log-ins records each run's grade itself.
    m_writeBack = !byStore;
    login.result = LoginResult::Student;
    return login;
}

bool Session::removeUser(const QString &name, const QString &password)
{
    const QByteArray stored = CodePage::fromUnicode(name);
    if (!userPasswordMatches(stored, password))
        return false;
    setUsers(m_store.removeUser(stored));
    return true;
}

bool Session::userPasswordMatches(const QByteArray &name, const QString &password) const
{
    return m_store.passwordMatches(name, CodePage::fromUnicode(password)) &&
           !(m_store.checksAdministrator() && m_store.administratorLoggedIn());
}

std::optional<int> Session::gradeCount(const QString &name, const QString &password) const
{
    const QByteArray stored = CodePage::fromUnicode(name);
    if (!userPasswordMatches(stored, password))
        return std::nullopt;
    int count = 0;
    for (int k = 1; k <= ClassStore::TestCount; ++k) {
        const QByteArray grade = m_store.gradeText(stored, k);
        if (grade != "0" && grade != m_store.missing())
            ++count;
    }
    return count;
}

UserChange Session::resetPassword(const QByteArray &name, const QString &password)
{
    return m_store.setTypedPassword(name, password);
}

UserChange Session::renameUser(const QByteArray &from, const QString &to)
{
    const UserChange r = m_store.renameTyped(from, to, m_adminSettings.login);
    if (r.ok())
        setUsers(m_store.users());
    return r;
}

QList<ClassStore::Removal> Session::keptRemovals(const QByteArray &name) const
{
    return m_store.removals(name);
}

UserChange Session::restoreUser(const QByteArray &name, const QByteArray &removed,
                                UserChange::Over over)
{
    const UserChange r = m_store.restore(name, m_adminSettings.login, removed, over);
    if (r.ok())
        setUsers(m_store.users());
    return r;
}

QByteArray Session::setGrade(const QByteArray &name, int test, int grade, const QString &reason)
{
    return GradeChanges::setGrade(m_store, name, test, grade,
                                  CodePage::fromUnicode(reason.trimmed()),
                                  QDateTime::currentDateTime());
}

void Session::pick(const QByteArray &name)
{
    for (int k = 1; k <= ClassStore::TestCount; ++k)
        m_scores[k - 1] = m_store.grade(name, k);
    m_changes = GradeChange::textsFor(m_store, name);
}

Session::RunEnd Session::finishRun(const TestRun &run)
{
    RunEnd end;
    end.grade = run.grade();
    const int k = run.testNumber();
    if (k >= 1 && k <= ClassStore::TestCount)
        m_scores[k - 1] = quint8(end.grade);
    end.logLine = m_store.appendRun(run.finished(m_userName, QDateTime::currentDateTime()));
    end.passed = passedTests();
    return end;
}

QList<QByteArray> Session::takeGrades(const Scores &grades)
{
    m_scores = grades;
    return passedTests();
}

QList<QByteArray> Session::passedTests() const
{
    QList<QByteArray> passed;
    for (int j = 1; j <= ClassStore::TestCount; ++j) {
        if (m_scores[j - 1] >= Grading::PassGrade)
            passed.append(ClassStore::testName(j));
    }
    return passed;
}

Session::WriteBack Session::writeBack()
{
    // The administrator has no record among the users; only a student's
    // grades are stored.
    if (!m_writeBack)
        return WriteBack::NotNeeded;
    return m_store.writeScores(m_userName, m_scores) ? WriteBack::Written : WriteBack::UserRemoved;
}

Session::SettingsSave Session::saveSettings(const ClassSettings &edited, const QString &password,
                                            const QString &repeated, bool confirmed)
{
    if (password != repeated) {
        m_settingsText = CodePage::fromUnicode(QStringLiteral("Проверьте пароль!"));
        return SettingsSave::Mismatch;
    }
    return saveSettings(edited, confirmed);
}

Session::SettingsSave Session::saveSettings(const ClassSettings &edited, bool confirmed)
{
    const SettingsCheck::Verdict verdict = SettingsCheck::check(m_store, edited);
    m_settingsText = SettingsCheck::text(m_store, verdict, edited);
    if (SettingsCheck::refuses(verdict))
        return SettingsSave::Refused;
    if (verdict == SettingsCheck::Verdict::LoginIsUser && !confirmed)
        return SettingsSave::NeedsConfirm;
    m_store.writeSettings(edited);
    return SettingsSave::Saved;
}
