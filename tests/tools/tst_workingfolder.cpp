// SPDX-License-Identifier: GPL-3.0-or-later
// The class folder of the tool's commands: the folder given, else the lab's
// class folder from the system-wide settings, else the current directory. A
// class folder that cannot be reached is refused with its likely cause and
// exit code 2, and nothing is written anywhere.
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestWorkingFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void classFolder_data();
    void classFolder();

private:
    QTemporaryDir m_system;
    QByteArray m_oldDirs;
};

void TestWorkingFolder::initTestCase()
{
    QVERIFY(m_system.isValid());
    m_oldDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_system.path()));
}

void TestWorkingFolder::cleanupTestCase()
{
    qputenv("XDG_CONFIG_DIRS", m_oldDirs);
}

void TestWorkingFolder::classFolder_data()
{
    QTest::addColumn<QString>("classFolder"); // below the folder; empty for none
    QTest::addColumn<QStringList>("args");    // "@" stands for the folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("folder given is missing")
        << "" << QStringList{"users", "--dir", "@/missing"} << 2 << "@/missing» недоступна: её нет";
    QTest::newRow("report of a missing folder")
        << "" << QStringList{"report", "--dir", "@/missing", "--csv", "@/r.csv"} << 2
        << "@/missing» недоступна";
    QTest::newRow("class folder missing")
        << "missing" << QStringList{"users"} << 2
        << "папка класса «@/missing» недоступна: её нет; возможно, общая папка не подключена";
    QTest::newRow("class folder without a course")
        << "empty" << QStringList{"register", "anna", "pw"} << 2
        << "папка класса «@/empty» недоступна: в ней нет учебного курса";
    QTest::newRow("class folder used") << "class" << QStringList{"users"} << 0 << "";
    QTest::newRow("folder given before the class folder")
        << "missing" << QStringList{"users", "--dir", "@/class"} << 0 << "";
}

void TestWorkingFolder::classFolder()
{
    QFETCH(QString, classFolder);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempWorkDir dir;
    QVERIFY(dir.isValid());
    const QString d = QDir::toNativeSeparators(dir.path());
    QVERIFY(dir.write(u"class/data/info/tumb.db"_s, "admin|secret|log.txt\r\n"));
    QVERIFY(dir.write(u"class/users.ini"_s, "[anna]\r\ntest1=\x01\r\n"));
    QVERIFY(dir.mkpath(u"empty"_s));
    QVERIFY(dir.mkpath(u"here"_s));
    const QString config = m_system.filePath(u"coursebook/coursebook.conf"_s);
    QVERIFY(TempWorkDir::writeFile(
        config, classFolder.isEmpty()
                    ? QByteArray()
                    : "[General]\nClassFolder=" + dir.filePath(classFolder).toUtf8() + "\n"));
    for (QString &arg : args)
        arg.replace(u"@"_s, dir.path());
    QStringList before;
    for (QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        before.append(it.next());

    const ToolRun run =
        ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), args, dir.filePath(u"here"_s), 30000);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errText().contains(QString(message).replace(u"@"_s, d)), run.err.constData());
    if (exitCode == 0)
        QVERIFY2(run.out.startsWith("anna\t"), run.out.constData());
    QStringList after;
    for (QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        after.append(it.next());
    QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(TestWorkingFolder)
#include "tst_workingfolder.moc"
