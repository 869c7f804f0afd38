// SPDX-License-Identifier: GPL-3.0-or-later
// A class folder shared by a Unix group, as on a lab server: set-group bit,
// group-writable, and the usual umask 022. Accounts of their own (numeric
// user ids in one group; setpriv switches to them, no accounts need to
// exist) register, finish test runs and write back in turn through the
// administrator's tool and a second running copy; every record must end
// complete and writable by the next account.
#include "Accounts.h"
#include "CodePage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr gid_t ClassGroup = 4242;
constexpr uid_t Teacher = 4200;
const QList<uid_t> Students{4201, 4202, 4203};

const QString Source = u"Что хранит байт?\r\nA) 4 бита\r\nB) 8 бит*\r\nC) 16 бит\r\n"
                       u"D) 2 бита\r\nE) 1 бит\r\n********\r\nКонец теста\r\n"_s;

} // namespace

class LabAccountsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void accountsTakeTurns();

private:
    // Runs a program as the account; its exit code, -1 when it did not end.
    int runAs(uid_t uid, const QString &program, const QStringList &args, QByteArray *out);

    QString m_setpriv;
    QString m_home;
};

void LabAccountsTest::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("switching to the accounts of a class needs root");
    m_setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    if (m_setpriv.isEmpty())
        QSKIP("setpriv (util-linux) is missing");
}

int LabAccountsTest::runAs(uid_t uid, const QString &program, const QStringList &args,
                           QByteArray *out)
{
    // The teacher's commands with the administrator's login the settings
    // hold, in a file that only the teacher reads.
    QStringList given = args;
    if (uid == Teacher && program.endsWith(u"coursebook-admin"_s)) {
        const QString login = QFileInfo(m_home).path() + u"/login"_s;
        QFile file(login);
        if (!file.open(QIODevice::WriteOnly) || file.write("root\nnew\n") < 0)
            return -1;
        file.close();
        if (::chown(QFile::encodeName(login).constData(), uid, ClassGroup) != 0 ||
            ::chmod(QFile::encodeName(login).constData(), 0600) != 0)
            return -1;
        given = args.mid(0, 1) + QStringList{u"--admin-login"_s, login} + args.mid(1);
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, m_home);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(m_setpriv, QStringList{u"--reuid=%1"_s.arg(uid), u"--regid=%1"_s.arg(ClassGroup),
                                         u"--clear-groups"_s, u"--"_s, program} +
                                 given);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    *out = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void LabAccountsTest::accountsTakeTurns()
{
    const mode_t oldMask = ::umask(022);
    const auto restoreMask = qScopeGuard([oldMask] { ::umask(oldMask); });
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(::chmod(QFile::encodeName(tmp.path()).constData(), 0755) == 0);
    m_home = tmp.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(m_home));
    QVERIFY(::chmod(QFile::encodeName(m_home).constData(), 01777) == 0);
    // The folders are the lab's set-up; every record in them comes from the
    // accounts.
    const QString dir = tmp.filePath(u"class"_s);
    for (const QString &folder :
         {dir, dir + u"/data"_s, dir + u"/data/info"_s, dir + u"/data/tests"_s}) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chown(QFile::encodeName(folder).constData(), 0, ClassGroup) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 02775) == 0);
    }
    const QString source = tmp.filePath(u"source.txt"_s);
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = CodePage::fromUnicode(Source);
        QCOMPARE(file.write(bytes), bytes.size());
    }
    // A log an earlier version left, its first writer's alone: appended to
    // through the folder, and the class's again after the first run.
    const QString logPath = dir + u"/log.txt"_s;
    {
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::WriteOnly));
        QCOMPARE(log.write("s4209 | 09:00:00 | 01.09.2026 | test1 | 3\r\n"), 43);
    }
    QVERIFY(::chown(QFile::encodeName(logPath).constData(), 4209, ClassGroup) == 0);
    QVERIFY(::chmod(QFile::encodeName(logPath).constData(), 0644) == 0);
    // The programs run from a folder every account reaches: the build folder
    // may lie below one that only root may enter.
    const QString helper = tmp.filePath(u"helper"_s);
    const QString tool = tmp.filePath(u"coursebook-admin"_s);
    QVERIFY(QFile::copy(QStringLiteral(RELIABILITY_HELPER), helper));
    QVERIFY(QFile::copy(QStringLiteral(ADMIN_TOOL), tool));
    QByteArray out;

    QCOMPARE(runAs(Teacher, helper, {u"write"_s, dir, u"settings"_s, u"log.txt"_s}, &out), 0);
    QCOMPARE(runAs(Teacher, tool,
                   {u"convert"_s, source, u"test1"_s, u"--into"_s, dir + u"/data/tests"_s}, &out),
             0);
    for (int round = 1; round <= 2; ++round) {
        for (const uid_t student : Students) {
            const QString name = u"s%1"_s.arg(student);
            if (round == 1)
                QVERIFY2(runAs(student, tool, {u"register"_s, name, u"pw"_s, u"--dir"_s, dir},
                               &out) == 0,
                         out.constData());
            QVERIFY2(runAs(student, helper,
                           {u"finish"_s, dir, name, QString::number(round), u"4"_s}, &out) == 0,
                     out.constData());
        }
        // The teacher changes the settings and converts the test again between
        // the rounds, replacing files the students' runs have read.
        QCOMPARE(runAs(Teacher, helper, {u"write"_s, dir, u"settings"_s, u"log.txt"_s}, &out), 0);
        QCOMPARE(runAs(Teacher, tool,
                       {u"convert"_s, source, u"test1"_s, u"--into"_s, dir + u"/data/tests"_s},
                       &out),
                 0);
    }

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir));
    const auto back = qScopeGuard([previous] { QDir::setCurrent(previous); });
    QFile users(dir + u"/users"_s);
    QVERIFY(users.open(QIODevice::ReadOnly));
    QCOMPARE(users.readAll(), QByteArray("s4201\r\ns4202\r\ns4203\r\n"));
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logText = log.readAll();
    QVERIFY(logText.startsWith("s4209 | "));
    QCOMPARE(logText.count("\r\n"), 1 + 2 * Students.size());
    for (const uid_t student : Students) {
        const QByteArray name = "s" + QByteArray::number(student);
        QCOMPARE(Accounts::storedPassword(name).value_or("<none>"), QByteArray("pw"));
        QCOMPARE(Accounts::readGrade(name, 1), quint8(4));
        QCOMPARE(Accounts::readGrade(name, 2), quint8(4));
        QCOMPARE(Accounts::readGrade(name, 3), quint8(0));
    }
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList records;
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info;
        QVERIFY(::lstat(QFile::encodeName(path).constData(), &info) == 0);
        const QString name = QDir(dir).relativeFilePath(path);
        QVERIFY2(!name.endsWith(u".lock"_s) && !name.endsWith(u".new"_s), qPrintable(name));
        QVERIFY2(info.st_gid == ClassGroup, qPrintable(name));
        QVERIFY2((info.st_mode & S_IWGRP) && (info.st_mode & S_IRGRP), qPrintable(name));
        if (S_ISREG(info.st_mode))
            records.append(name);
    }
    records.sort();
    QCOMPARE(records, (QStringList{u"data/info/tumb.db"_s, u"data/tests/test1.ini"_s, u"log.txt"_s,
                                   u"users"_s, u"users.ini"_s}));
}

QTEST_GUILESS_MAIN(LabAccountsTest)
#include "tst_labaccounts.moc"
