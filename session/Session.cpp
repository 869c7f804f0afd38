// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"

#include "AnswerRecord.h"
#include "CodePage.h"
#include "CourseStructure.h"
#include "GradeChange.h"
#include "GradeChanges.h"
#include "Grading.h"
#include "Store.h"
#include "TestLog.h"
#include "TestRun.h"
#include "UserList.h"

#include <QDateTime>

Session::Session(QObject *parent) : QObject(parent) {}

void Session::setUsers(const QList<QByteArray> &users)
{
    m_userList = users;
    emit usersChanged();
}

void Session::start()
{
    // A first run has no list file yet; the first registration creates it.
    setUsers(UserList::exists() ? UserList::load() : QList<QByteArray>());
    m_writeBack = false;
    emit awaitingLogin();
    m_adminSettings = AdminSettings::read();
    emit settingsRead();
}

Accounts::Refusal Session::registerUser(const QString &name, const QString &password)
{
    m_userName = CodePage::fromUnicode(name);
    Accounts::Registration registration;
    try {
        registration = Accounts::registerTyped(name, password, m_adminSettings.login);
    } catch (...) {
        // Another copy may have changed the list meanwhile.
        if (UserList::exists())
            setUsers(UserList::load());
        throw;
    }
    if (registration.refusal == Accounts::Refusal::None)
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
    if (!m_adminSettings.login.isEmpty() && m_userName == m_adminSettings.login) {
        login.result =
            typed == m_adminSettings.password ? LoginResult::Administrator : LoginResult::Ignored;
        return login;
    }
    if (!Accounts::passwordMatches(m_userName, typed))
        return login;
    for (int k = 1; k <= CourseStructure::MaxTests; ++k)
        m_scores[k - 1] = Accounts::readGrade(m_userName, k);
    m_changes = GradeChange::textsFor(m_userName);
    // Gated only once every grade has been read: a login that fails part way
    // locks nothing for the next one.
    for (int k = 1; k <= CourseStructure::MaxTests; ++k) {
        if (m_scores[k - 1] < Grading::PassGrade)
            login.locked.append(Accounts::testKey(k));
    }
    m_writeBack = true;
    login.result = LoginResult::Student;
    return login;
}

bool Session::removeUser(const QString &name, const QString &password)
{
    const QByteArray stored = CodePage::fromUnicode(name);
    if (!Accounts::passwordMatches(stored, CodePage::fromUnicode(password)))
        return false;
    setUsers(Accounts::removeUser(stored));
    return true;
}

std::optional<int> Session::gradeCount(const QString &name, const QString &password) const
{
    const QByteArray stored = CodePage::fromUnicode(name);
    if (!Accounts::passwordMatches(stored, CodePage::fromUnicode(password)))
        return std::nullopt;
    int count = 0;
    for (int k = 1; k <= Accounts::TestCount; ++k) {
        const QByteArray grade = Store::read(stored, Accounts::testKey(k), Accounts::UsersIni);
        if (grade != "0" && grade != Store::missing())
            ++count;
    }
    return count;
}

UserAdmin::Result Session::resetPassword(const QByteArray &name, const QString &password)
{
    if (!CodePage::canSpell(password)) {
        UserAdmin::Result r;
        r.problem = UserAdmin::Problem::Refused;
        r.refusal = Accounts::Refusal::ForeignPasswordLetters;
        return r;
    }
    return UserAdmin::setPassword(name, CodePage::fromUnicode(password));
}

UserAdmin::Result Session::renameUser(const QByteArray &from, const QString &to)
{
    if (!CodePage::canSpell(to)) {
        UserAdmin::Result r;
        r.problem = UserAdmin::Problem::Refused;
        r.refusal = Accounts::Refusal::ForeignLetters;
        return r;
    }
    const UserAdmin::Result r = UserAdmin::rename(from, CodePage::fromUnicode(to),
                                                  m_adminSettings.login, m_adminSettings.logName);
    if (r.ok())
        setUsers(UserList::exists() ? UserList::load() : QList<QByteArray>());
    return r;
}

QList<RemovedUsers::Kept> Session::keptRemovals(const QByteArray &name) const
{
    return RemovedUsers::allKept(name);
}

UserAdmin::Result Session::restoreUser(const QByteArray &name, const QByteArray &removed,
                                       UserAdmin::Over over)
{
    const UserAdmin::Result r = UserAdmin::restore(name, m_adminSettings.login, removed, over);
    if (r.ok())
        setUsers(UserList::exists() ? UserList::load() : QList<QByteArray>());
    return r;
}

QByteArray Session::setGrade(const QByteArray &name, int test, int grade, const QString &reason)
{
    return GradeChanges::setGrade(name, test, grade, CodePage::fromUnicode(reason.trimmed()),
                                  QDateTime::currentDateTime());
}

void Session::pick(const QByteArray &name)
{
    for (int k = 1; k <= Accounts::TestCount; ++k)
        m_scores[k - 1] = Accounts::readGrade(name, k);
    m_changes = GradeChange::textsFor(name);
}

Session::RunEnd Session::finishRun(const TestRun &run)
{
    RunEnd end;
    end.grade = run.grade();
    const int k = run.testNumber();
    if (k >= 1 && k <= Accounts::TestCount)
        m_scores[k - 1] = quint8(end.grade);
    const QDateTime now = QDateTime::currentDateTime();
    // The answers go first: a log line always has its record, and a refused
    // record stops the end as a refused log line does.
    AnswerRecord::append(m_adminSettings.logName, run.record(m_userName, now).line());
    end.logLine = TestLog::line(m_userName, now, run.testName(), end.grade);
    TestLog::append(m_adminSettings.logName, end.logLine);
    for (int j = 1; j <= Accounts::TestCount; ++j) {
        if (m_scores[j - 1] >= Grading::PassGrade)
            end.passed.append(Accounts::testKey(j));
    }
    return end;
}

Session::WriteBack Session::writeBack()
{
    // The administrator has no record among the users; only a student's
    // grades are stored.
    if (!m_writeBack)
        return WriteBack::NotNeeded;
    return Accounts::writeScores(m_userName, m_scores) ? WriteBack::Written
                                                       : WriteBack::UserRemoved;
}
