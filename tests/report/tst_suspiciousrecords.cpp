// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassFolder.h"
#include "ClassReport.h"
#include "FolderStore.h"
#include "ReportCsv.h"
#include "Store.h"
#include "SuspiciousRecords.h"
#include "TempWorkDir.h"

#include "TestLog.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using Kind = SuspiciousRecords::Kind;

// Class folders altered by hand the way a student could, and the findings
// the report gives for them.
class tst_SuspiciousRecords : public QObject
{
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
    void everyLineOutOfOrder();
};

namespace {

void appendBytes(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

void tst_SuspiciousRecords::findings_data()
{
    // What is altered by hand after anna and boris registered, anna ran
    // test1 (grade 4) yesterday and boris test2 (grade 3) today.
    QTest::addColumn<QString>("alteration");
    QTest::addColumn<int>("kind"); // -1: nothing to find
    QTest::addColumn<QByteArray>("user");
    QTest::newRow("as the program left it") << "" << -1 << QByteArray();
    QTest::newRow("grade without a run")
        << "grade" << int(Kind::GradeWithoutRun) << QByteArray("boris");
    QTest::newRow("section in other case") << "twin" << int(Kind::CaseTwin) << QByteArray("ANNA");
    QTest::newRow("header without bracket")
        << "open" << int(Kind::OpenHeader) << QByteArray("vera");
    QTest::newRow("NUL before a section") << "nul" << int(Kind::NulByte) << QByteArray("gleb");
    QTest::newRow("line from the future")
        << "future" << int(Kind::FutureLine) << QByteArray("anna");
    QTest::newRow("line out of order") << "order" << int(Kind::OutOfOrder) << QByteArray("anna");
    QTest::newRow("line earlier the same day")
        << "time" << int(Kind::OutOfOrder) << QByteArray("boris");
    QTest::newRow("administrator is a student")
        << "admin" << int(Kind::AdminIsUser) << QByteArray("boris");
    QTest::newRow("grade the log never gave")
        << "above" << int(Kind::GradeNotLogged) << QByteArray("boris");
    QTest::newRow("run without its answer record")
        << "unrecorded" << int(Kind::RunWithoutRecord) << QByteArray("anna");
    QTest::newRow("second password key")
        << "password" << int(Kind::DuplicateKey) << QByteArray("boris");
    QTest::newRow("section twice")
        << "section" << int(Kind::DuplicateSection) << QByteArray("boris");
    QTest::newRow("time no clock shows")
        << "25:99:99" << int(Kind::ImpossibleTime) << QByteArray("anna");
    QTest::newRow("log replaced by a folder") << "folder" << int(Kind::LogUnread) << QByteArray();
    QTest::newRow("log replaced by a named pipe") << "pipe" << int(Kind::LogUnread) << QByteArray();
}

void tst_SuspiciousRecords::findings()
{
    QFETCH(QString, alteration);
    QFETCH(int, kind);
    QFETCH(QByteArray, user);
    TempWorkDir dir;
    QVERIFY(dir.isCurrent());
    ClassFolder folder;
    folder.registerUser("anna");
    folder.registerUser("boris");
    const QDateTime now = QDateTime::currentDateTime();
    folder.finishRun("anna", 1, 4, now.addDays(-1));
    folder.finishRun("boris", 2, 3, now);

    if (alteration == QLatin1String("grade"))
        Store::write("boris", "test5", "5", "\\users.ini");
    else if (alteration == QLatin1String("twin"))
        appendBytes(dir.filePath("users.ini"), "[ANNA]\r\ntest1=x\r\n");
    else if (alteration == QLatin1String("open"))
        appendBytes(dir.filePath("users.ini"), "[vera\r\npassword=x\r\n");
    else if (alteration == QLatin1String("nul"))
        appendBytes(dir.filePath("users.ini"), QByteArray("x=\0\r\n[gleb]\r\n", 13));
    else if (alteration == QLatin1String("future"))
        folder.finishRun("anna", 1, 4, now.addDays(40));
    else if (alteration == QLatin1String("order"))
        folder.finishRun("anna", 1, 4, now.addDays(-30));
    else if (alteration == QLatin1String("time"))
        folder.finishRun("boris", 2, 3, QDateTime(now.date(), QTime(0, 0)));
    else if (alteration == QLatin1String("admin"))
        QVERIFY(dir.write("data/info/tumb.db", "BORIS|pw|journal.txt\r\n"));
    else if (alteration == QLatin1String("above"))
        Store::write("boris", "test2", "5", "\\users.ini");
    else if (alteration == QLatin1String("unrecorded")) {
        // Records began with boris's run; anna's line appended after has none.
        folder.appendRecordLine("boris | " + now.toString(u"yyyy-MM-dd HH:mm:ss").toLatin1() +
                                " | test2 | 3 | 12345678 | 1 | 1");
        folder.finishRun("anna", 1, 4, now.addSecs(1));
    } else if (alteration == QLatin1String("password"))
        appendBytes(dir.filePath("users.ini"), "password=" + Store::encode("forged") + "\r\n");
    else if (alteration == QLatin1String("section"))
        appendBytes(dir.filePath("users.ini"), "[boris]\r\ntest1=x\r\n");
    else if (alteration == QLatin1String("25:99:99"))
        folder.appendLine("anna | 25:99:99 | " +
                          TestLog::line("", now, "", 1).split('|')[2].trimmed() + " | test1 | 4");
    else if (alteration == QLatin1String("folder") || alteration == QLatin1String("pipe")) {
        QVERIFY(QFile::remove(dir.filePath("journal.txt")));
        QVERIFY(alteration == QLatin1String("folder") ? QDir().mkdir(dir.filePath("journal.txt"))
                                                      : ::mkfifo("journal.txt", 0666) == 0);
    }

    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    const QList<SuspiciousRecords::Finding> &found = report.suspicious.findings;
    if (kind < 0) {
        QCOMPARE(found.size(), 0);
        return;
    }
    QCOMPARE(found.size(), 1);
    QCOMPARE(int(found.first().kind), kind);
    QCOMPARE(found.first().user, user);
    QVERIFY2(found.first().text.contains(QString::fromLatin1(user)),
             qPrintable(found.first().text));
    // The CSV carries it in the row of a listed user.
    const QString csv = QString::fromUtf8(ReportCsv::write(report));
    QVERIFY(csv.section(QLatin1String("\r\n"), 0, 0).endsWith(SuspiciousRecords::Title));
    if (user == "anna" || user == "boris" || user == "ANNA" || user == "BORIS")
        QVERIFY2(csv.contains(found.first().text), qPrintable(csv));
}

void tst_SuspiciousRecords::everyLineOutOfOrder()
{
    QByteArray log;
    for (int i = 0; i < 100000; ++i)
        log += "anna | 10:00:00 | " +
               QDate(2026, 12, 1).addDays(-i % 300).toString(u"dd.MM.yyyy").toLatin1() +
               " | test1 | 4\r\n";
    const TestLogReader lines = TestLogReader::parse(log);
    const SuspiciousRecords found =
        SuspiciousRecords::find(ClassRecords(), lines, QByteArray(), QDate(2026, 12, 1));
    QCOMPARE(found.findings.size(), SuspiciousRecords::MaxPerKind);
    const qsizetype rest = found.unlisted[int(Kind::OutOfOrder)];
    QVERIFY(rest > 90000);
    QCOMPARE(found.unlistedTexts().size(), 1);
    QVERIFY(found.unlistedTexts().first().contains(QString::number(rest)));
}

QTEST_GUILESS_MAIN(tst_SuspiciousRecords)
#include "tst_suspiciousrecords.moc"
