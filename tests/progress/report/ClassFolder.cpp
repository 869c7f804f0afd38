#include "ClassFolder.h"

#include "Accounts.h"
#include "AdminSettings.h"
#include "CodePage.h"
#include "Store.h"
#include "TestLog.h"

#include <QDir>

ClassFolder::ClassFolder(const QByteArray &logName) : logName(logName)
{
    AdminSettings settings;
    settings.login = "admin";
    settings.password = "secret";
    settings.logName = logName;
    QDir().mkpath(QStringLiteral("data/info"));
    settings.write();
}

void ClassFolder::registerUser(const QByteArray &name)
{
    Accounts::registerUser(name, "pw");
}

void ClassFolder::storeGrade(const QByteArray &name, int test, const QByteArray &stored)
{
    Store::write(name, Accounts::testKey(test), stored, Accounts::UsersIni);
}

void ClassFolder::finishRun(const QByteArray &name, int test, int grade, const QDateTime &when)
{
    TestLog::append(logName, TestLog::line(name, when, Accounts::testKey(test), grade));
    ++m_lines;
    ++m_runs[CodePage::fold(name) + '/' + QByteArray::number(test)];
    m_last[CodePage::fold(name)] = when.date();
    ++m_perDay[when.date()];
}

int ClassFolder::appendLine(const QByteArray &line)
{
    TestLog::append(logName, line + "\r\n");
    return ++m_lines;
}

int ClassFolder::runs(const QByteArray &name, int test) const
{
    return m_runs.value(CodePage::fold(name) + '/' + QByteArray::number(test));
}

QDate ClassFolder::lastDate(const QByteArray &name) const
{
    return m_last.value(CodePage::fold(name));
}
