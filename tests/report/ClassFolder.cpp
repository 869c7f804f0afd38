// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassFolder.h"

#include "Accounts.h"
#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "Store.h"
#include "TestFile.h"
#include "TestLog.h"

#include <QDir>
#include <QFile>

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

QByteArray ClassFolder::writeTest(int test, const QList<QByteArray> &questions,
                                  const QByteArray &rightAnswers)
{
    QDir().mkpath(QStringLiteral("data/tests"));
    const QByteArray file = TestFile::Folder + Accounts::testKey(test) + ".ini";
    for (qsizetype i = 0; i < questions.size(); ++i) {
        const QByteArray section = QByteArray::number(i + 1);
        Store::write(section, "q", questions[i], file);
        for (int a = 1; a <= 5; ++a)
            Store::write(section, "a" + QByteArray::number(a),
                         QByteArray(1, char('A' + a - 1)) + ")", file);
        Store::write(section, "ap", rightAnswers.mid(i, 1), file);
    }
    Store::write("inf", "vsego", QByteArray::number(questions.size()), file);
    QFile f(QStringLiteral("data/tests/test%1.ini").arg(test));
    return f.open(QIODevice::ReadOnly) ? AnswerRecord::versionOf(f.readAll()) : QByteArray();
}

int ClassFolder::recordAnswers(const QByteArray &name, int test, const QByteArray &version,
                               const QByteArray &chosen, const QByteArray &right)
{
    AnswerRecord record;
    record.user = name;
    record.date = QDate(2026, 12, 1);
    record.time = QTime(10, 0, 0);
    record.testName = Accounts::testKey(test);
    record.grade = 3;
    record.version = version;
    record.chosen = chosen;
    record.right = right;
    AnswerRecord::append(logName, record.line());
    return ++m_recordLines;
}

int ClassFolder::appendRecordLine(const QByteArray &line)
{
    AnswerRecord::append(logName, line + "\r\n");
    return ++m_recordLines;
}
