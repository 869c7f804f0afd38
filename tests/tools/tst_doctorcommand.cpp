// SPDX-License-Identifier: GPL-3.0-or-later
// coursebook-admin doctor: a class folder ready for the lesson passes; each
// fault a lab meets is one line naming its file, and the folder is not ready.
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TestDoctorCommand : public QObject
{
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
};

namespace {

constexpr gid_t ClassGroup = 4242;

bool makeReady(const TempWorkDir &dir)
{
    bool ok = dir.write(u"data/info/tumb.db"_s, "admin|secret|log.txt\r\n") &&
              dir.write(u"users"_s, "anna\r\n") && dir.write(u"users.ini"_s, "[anna]\r\n") &&
              dir.write(u"log.txt"_s, "anna | 10:00:00 | 01.09.2024 | test1 | 5\r\n");
    for (int k = 1; k <= 10; ++k)
        ok = ok && dir.write(u"data/tests/test%1.ini"_s.arg(k), "[inf]\r\nvsego=1\r\n");
    return ok;
}

} // namespace

void TestDoctorCommand::findings_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("named"); // the file the finding names, empty when ready

    QTest::newRow("ready") << ""
                           << "";
    QTest::newRow("settings file missing") << "no settings"
                                           << "data/info/tumb.db";
    QTest::newRow("user list missing") << "no list"
                                       << "users";
    QTest::newRow("test not converted") << "no test"
                                        << "data/tests/test4.ini";
    // The tests are the course's: a file of no test of it is not missed.
    QTest::newRow("course of its own") << "own course"
                                       << "";
    QTest::newRow("course file broken") << "broken course"
                                        << "course.ini";
    QTest::newRow("lock left") << "lock"
                               << "users.ini.lock";
    QTest::newRow("side file left") << "side"
                                    << "users.new";
    QTest::newRow("link out of the folder") << "link"
                                            << "data/info/help";
    QTest::newRow("log outside the folder") << "log outside"
                                            << "../elsewhere.txt";
    QTest::newRow("record the group cannot write") << "group"
                                                   << "users.ini";
    QTest::newRow("data/ the group can rename") << "rename"
                                                << "data";
    QTest::newRow("answer keys in the folder") << "sources"
                                               << "sources";
    QTest::newRow("pipe as users.ini") << "pipe"
                                       << "users.ini";
    QTest::newRow("1 GB log") << "sparse"
                              << "log.txt";
    QTest::newRow("teacher outside the class's group") << "outside"
                                                       << ".";
}

void TestDoctorCommand::findings()
{
    QFETCH(QString, fault);
    QFETCH(QString, named);
    TempWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(makeReady(dir));
    const QString d = dir.path();
    if (fault == u"no settings")
        QVERIFY(QFile::remove(dir.filePath(u"data/info/tumb.db"_s)));
    else if (fault == u"no list")
        QVERIFY(QFile::remove(dir.filePath(u"users"_s)));
    else if (fault == u"no test")
        QVERIFY(QFile::remove(dir.filePath(u"data/tests/test4.ini"_s)));
    else if (fault == u"own course")
        QVERIFY(QFile::copy(
                    QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"),
                    dir.filePath(u"course.ini"_s)) &&
                QFile::remove(dir.filePath(u"data/tests/test7.ini"_s)));
    else if (fault == u"broken course")
        QVERIFY(dir.write(u"course.ini"_s, "[menu]\ntest exam \"Экзамен\"\n"));
    else if (fault == u"lock")
        QVERIFY(dir.write(u"users.ini.lock/holder"_s, "4711\ncoursebook\nclassroom-pc-7\n1f\n"));
    else if (fault == u"side")
        QVERIFY(dir.write(u"users.new"_s, "anna\r\n"));
    else if (fault == u"link")
        QVERIFY(QFile::link(u"/etc"_s, dir.filePath(u"data/info/help"_s)));
    else if (fault == u"log outside")
        QVERIFY(dir.write(u"data/info/tumb.db"_s, "admin|secret|../elsewhere.txt\r\n"));
    else if (fault == u"sources")
        QVERIFY(dir.write(u"sources/test1.txt"_s, "Q\r\nA) a*\r\n"));
    else if (fault == u"pipe")
        QVERIFY(QFile::remove(dir.filePath(u"users.ini"_s)) &&
                ::mkfifo(QFile::encodeName(dir.filePath(u"users.ini"_s)).constData(), 0666) == 0);
    else if (fault == u"sparse")
        QVERIFY(QFile(dir.filePath(u"log.txt"_s)).resize(1LL << 30));
    if (fault == u"group" || fault == u"rename" || fault == u"outside") {
        if (::geteuid() != 0)
            QSKIP("a record of another account in the class's group needs root");
        for (const QString &folder :
             {d, d + u"/data"_s, d + u"/data/info"_s, d + u"/data/tests"_s}) {
            QVERIFY(::chown(QFile::encodeName(folder).constData(), 0, ClassGroup) == 0);
            // The class folder sticky, so that data/ stays the teacher's, but where the
            // finding is that it does not.
            QVERIFY(::chmod(QFile::encodeName(folder).constData(),
                            folder == d && fault != u"rename" ? 03775 : 02775) == 0);
        }
        for (const QString &name : QDir(d).entryList(QDir::Files)) {
            const QByteArray file = QFile::encodeName(dir.filePath(name));
            QVERIFY(::chown(file.constData(), 4201, ClassGroup) == 0);
            QVERIFY(::chmod(file.constData(),
                            name == u"users.ini" && fault == u"group" ? 0644 : 0664) == 0);
        }
        for (const QString &name : QDir(d + u"/data/tests"_s).entryList(QDir::Files))
            QVERIFY(::chmod(QFile::encodeName(d + u"/data/tests/"_s + name).constData(), 0644) ==
                    0);
        QVERIFY(::chmod(QFile::encodeName(d + u"/data/info/tumb.db"_s).constData(), 0644) == 0);
    }

    // The check run by an account of no group of the class's.
    const QStringList outside{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                              QStringLiteral(COURSEBOOK_ADMIN)};
    const ToolRun run =
        fault == u"outside"
            ? ToolRun::runUnlogged(u"setpriv"_s, outside + QStringList{u"doctor"_s, u"--dir"_s, d},
                                   QDir::rootPath(), 60000)
            : ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), {u"doctor"_s, u"--dir"_s, d},
                           QDir::rootPath(), 60000);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    const QStringList lines = run.outText().split(u'\n', Qt::SkipEmptyParts);
    if (named.isEmpty()) {
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(lines.last().contains(u"готова"_s), run.out.constData());
        QCOMPARE(lines.size(), 2);
        return;
    }
    QCOMPARE(run.exitCode, 1);
    // One finding, naming its file, then the note and the verdict.
    QCOMPARE(lines.size(), 3);
    const QString file = QDir::toNativeSeparators(QDir::cleanPath(dir.filePath(named)));
    QVERIFY2(lines.first().startsWith(u"«"_s + file + u"»"_s), run.out.constData());
    QVERIFY2(lines.last().contains(u"не готова: замечаний 1"_s), run.out.constData());
}

QTEST_GUILESS_MAIN(TestDoctorCommand)
#include "tst_doctorcommand.moc"
