// SPDX-License-Identifier: GPL-3.0-or-later
// A class folder moved to a real server and back: every record equal byte
// for byte but the passwords, which the server keeps only as hashes; a
// folder with a record the server cannot hold refused by the record's line
// with nothing carried over.
#include "Accounts.h"
#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "ClassReport.h"
#include "ClassTransfer.h"
#include "CodePage.h"
#include "FolderStore.h"
#include "GradeChange.h"
#include "ItemCsv.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "RuntimeError.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "Store.h"
#include "StoredUser.h"
#include "TempWorkDir.h"
#include "TestFileMaker.h"
#include "TestLog.h"
#include "TextFile.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray cp(const char *utf8)
{
    return CodePage::fromUnicode(QString::fromUtf8(utf8));
}

// A record's bytes without its password lines, which an export makes anew.
QByteArray withoutPasswords(const QByteArray &bytes)
{
    QByteArray out;
    for (const QByteArray &line : bytes.split('\n')) {
        if (!line.startsWith("password="))
            out += line + '\n';
    }
    return out;
}

} // namespace

class tst_ClassTransfer : public QObject
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;

    // A class as the program leaves its folder: three users, one removed,
    // two tests, the log and the answer record.
    static void makeClass()
    {
        QVERIFY(QDir().mkpath(QStringLiteral("data/info")));
        AdminSettings settings;
        settings.login = "admin";
        settings.password = "a";
        settings.logName = "testlog.txt";
        settings.write();
        for (const QByteArray &name : {cp("Ёжик"), QByteArray("bob"), cp("Зоя")})
            QCOMPARE(int(Accounts::registerUser(name, name + "1", "admin").refusal), 0);
        Accounts::Scores scores{};
        scores[0] = 4;
        scores[9] = 2;
        QVERIFY(Accounts::writeScores("bob", scores));
        Accounts::removeUser(cp("Зоя"));
        TestFileMaker::write("test1", "213");
        TestFileMaker::write("test2", "5");
        const QByteArray version = AnswerRecord::versionOf(
            TextFile::read(QDir::current().filePath("data/tests/test1.ini")));
        const QDateTime when(QDate(2026, 3, 5), QTime(10, 15, 30));
        for (const QByteArray &user : {QByteArray("bob"), cp("Зоя")}) {
            AnswerRecord record{user, when.date(), when.time(), "test1", 4, version, "215", "213"};
            AnswerRecord::append("testlog.txt", record.line());
            TestLog::append("testlog.txt", TestLog::line(user, when, "test1", 4));
        }
        GradeChange change;
        change.date = when.date();
        change.time = when.time();
        change.test = 1;
        change.oldGrade = 4;
        change.newGrade = 5;
        change.reason = cp("пересдача");
        change.user = "bob";
        GradeChange::append("testlog.txt", change.line());
    }

    std::unique_ptr<ServerStore> admin()
    {
        auto store = std::make_unique<ServerStore>(m_address);
        return store->passwordMatches("admin", "a") ? std::move(store) : nullptr;
    }

private slots:
    void init()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        m_address = ServerCluster::labAddress(m_database);
        QVERIFY(ServerCluster::initSettings(m_database, "a", "x.txt"));
    }

    void roundTrip()
    {
        TempWorkDir folder;
        makeClass();
        auto store = admin();
        QVERIFY(store);
        const ClassTransfer::Reading reading = ClassTransfer::import(*store, folder.path());
        QVERIFY2(reading.refusals.isEmpty(), qPrintable(reading.refusals.join(u'\n')));
        QCOMPARE(reading.users, 2);
        QCOMPARE(reading.removed, 1);
        QCOMPARE(reading.tests, 2);
        QCOMPARE(reading.logLines, 2);
        QCOMPARE(reading.runs, 2);
        QCOMPARE(reading.changes, 1);
        // The stored password logs in on the server; the import's new
        // settings ended the old administrator's session.
        QVERIFY(ServerStore(m_address).passwordMatches("bob", "bob1"));
        store = admin();
        QVERIFY(store);
        // The class report from the server is the one the folder gave.
        const ClassReport onServer = ClassReport::read(*store);
        const ClassReport inFolder = ClassReport::read(FolderStore(folder.path()));
        QCOMPARE(ReportCsv::write(onServer), ReportCsv::write(inFolder));
        QCOMPARE(ItemCsv::write(onServer.items), ItemCsv::write(inFolder.items));
        // Where the answers were read is named as what they are.
        const QDateTime made(QDate(2026, 3, 6), QTime(9, 0));
        QByteArray html = ReportHtml::write(onServer, made);
        html.replace(u"записям ответов на %1"_s.arg(store->shown()).toUtf8(),
                     u"записям ответов %1"_s.arg(inFolder.items.path).toUtf8());
        QCOMPARE(html, ReportHtml::write(inFolder, made));
        // A second import into a class that holds records is refused whole.
        const ClassTransfer::Reading again = ClassTransfer::import(*store, folder.path());
        QCOMPARE(again.refusals.size(), 1);
        QVERIFY(again.refusals.first().contains(QStringLiteral("не пуст")));

        TempWorkDir out;
        const QString back = out.filePath(QStringLiteral("class"));
        const ClassTransfer::Written written =
            ClassTransfer::exportTo(*store, back, out.filePath(QStringLiteral("sheet.html")));
        QCOMPARE(written.users, 2);
        QCOMPARE(written.tests, 2);
        for (const char *file :
             {"users", "testlog.txt", "testlog-answers.txt", "testlog-changes.txt",
              "data/tests/test1.ini", "data/tests/test2.ini"})
            QCOMPARE(TextFile::read(back + u'/' + QLatin1String(file)),
                     TextFile::read(folder.filePath(QLatin1String(file))));
        for (const char *file : {"users.ini", "removed-users.ini"})
            QCOMPARE(withoutPasswords(TextFile::read(back + u'/' + QLatin1String(file))),
                     withoutPasswords(TextFile::read(folder.filePath(QLatin1String(file)))));
        const AdminSettings exported = AdminSettings::parse(
            TextFile::read(back + QStringLiteral("/data/info/tumb.db")).trimmed());
        QCOMPARE(exported.login, QByteArray("admin"));
        QCOMPARE(exported.logName, QByteArray("testlog.txt"));
        QVERIFY(!exported.password.isEmpty() && exported.password != "a");
        QVERIFY(TextFile::read(out.filePath(QStringLiteral("sheet.html"))).contains("bob"));
        // Into a folder that holds anything nothing is written.
        QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                 ClassTransfer::exportTo(*store, back, out.filePath("s2.html")));
    }

    void refusedByLine_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("grade not a number") << "grade" << QStringLiteral("users.ini, строка");
        QTest::newRow("section not in the list") << "stray" << QStringLiteral("нет в списке");
        QTest::newRow("answers of nobody")
            << "ghost" << QStringLiteral("testlog-answers.txt, строка 3");
        QTest::newRow("broken log line") << "log" << QStringLiteral("testlog.txt, строка 3");
        QTest::newRow("name the server refuses") << "admin" << QStringLiteral("users.ini: admin");
    }

    void refusedByLine()
    {
        QFETCH(QString, fault);
        QFETCH(QString, refusal);
        TempWorkDir folder;
        makeClass();
        if (fault == QLatin1String("grade"))
            Store::write("bob", "test3", "abc", Accounts::UsersIni);
        else if (fault == QLatin1String("stray"))
            StoredUser::write("stray", "p");
        else if (fault == QLatin1String("ghost"))
            AnswerRecord::append("testlog.txt",
                                 AnswerRecord{"ghost", QDate(2026, 3, 6), QTime(9, 0), "test1", 1,
                                              "0123abcd", "1", "2"}
                                     .line());
        else if (fault == QLatin1String("log"))
            TestLog::append("testlog.txt", "half a line\r\n");
        else {
            StoredUser::write("admin", "p");
            TextFile::append(folder.filePath(QStringLiteral("users")), "admin\r\n");
        }
        const auto store = admin();
        QVERIFY(store);
        const ClassTransfer::Reading reading = ClassTransfer::import(*store, folder.path());
        QVERIFY2(reading.refusals.join(u'\n').contains(refusal),
                 qPrintable(reading.refusals.join(u'\n')));
        QVERIFY(store->users().isEmpty());
        QVERIFY(store->logLines().missing);
        QCOMPARE(store->startRefusal("test1").isEmpty(), false);
    }
};

QTEST_GUILESS_MAIN(tst_ClassTransfer)
#include "tst_classtransfer.moc"
