// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderStore.h"
#include "TempWorkDir.h"
#include "TestLog.h"
#include "TestLogReader.h"

#include <QDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>

using Fault = TestLogReader::Fault;
Q_DECLARE_METATYPE(Fault)

class tst_TestLogReader : public QObject
{
    Q_OBJECT

private slots:
    void readsTheLinesTheTestRunWrites();
    void oddLinesKeepTheirNumbers_data();
    void oddLinesKeepTheirNumbers();
    void lineEnds_data();
    void lineEnds();
    void aNameHoldingTheSeparator();
    void whatCannotBeOpenedIsReported_data();
    void whatCannotBeOpenedIsReported();
};

void tst_TestLogReader::readsTheLinesTheTestRunWrites()
{
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
    const QByteArray bytes = TestLog::line("\xC0\xED\xED\xE0", when, "test3", 4) +
                             TestLog::line("boris", when.addDays(1), "test10", 5);
    const TestLogReader log = TestLogReader::parse(bytes);
    QCOMPARE(log.lines, 2);
    QVERIFY(log.bad.isEmpty());
    QCOMPARE(log.runs.size(), 2);
    QCOMPARE(log.runs[0].user, QByteArray("\xC0\xED\xED\xE0"));
    QCOMPARE(log.runs[0].test, 3);
    QCOMPARE(log.runs[0].grade, 4);
    QCOMPARE(log.runs[0].date, when.date());
    QCOMPARE(log.runs[1].line, 2);
    QCOMPARE(log.runs[1].test, 10);
    QCOMPARE(log.runs[1].date, when.date().addDays(1));
}

void tst_TestLogReader::oddLinesKeepTheirNumbers_data()
{
    QTest::addColumn<QByteArray>("odd");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("counted");
    QTest::newRow("empty") << QByteArray() << Fault::FieldCount << false;
    QTest::newRow("four fields") << QByteArray("anna | 10:00:00 | 08.12.2026 | test1")
                                 << Fault::FieldCount << false;
    QTest::newRow("six fields") << QByteArray("anna | 10:00:00 | 08.12.2026 | test1 | 4 | 4")
                                << Fault::FieldCount << false;
    QTest::newRow("bars without blanks")
        << QByteArray("anna|10:00:00|08.12.2026|test1|4") << Fault::FieldCount << false;
    QTest::newRow("test11") << QByteArray("anna | 10:00:00 | 08.12.2026 | test11 | 4")
                            << Fault::UnknownTest << false;
    QTest::newRow("test01") << QByteArray("anna | 10:00:00 | 08.12.2026 | test01 | 4")
                            << Fault::UnknownTest << false;
    QTest::newRow("grade 0") << QByteArray("anna | 10:00:00 | 08.12.2026 | test1 | 0")
                             << Fault::BadGrade << false;
    QTest::newRow("grade 44") << QByteArray("anna | 10:00:00 | 08.12.2026 | test1 | 44")
                              << Fault::BadGrade << false;
    QTest::newRow("no date") << QByteArray("anna | 10:00:00 | 31.02.2026 | test1 | 4")
                             << Fault::BadDate << true;
}

void tst_TestLogReader::oddLinesKeepTheirNumbers()
{
    QFETCH(QByteArray, odd);
    QFETCH(Fault, fault);
    QFETCH(bool, counted);
    const QByteArray good = "anna | 10:00:00 | 08.12.2026 | TEST2 | 3\r\n";
    const TestLogReader log = TestLogReader::parse(good + good + odd + "\r\n" + good);
    QCOMPARE(log.lines, 4);
    QCOMPARE(log.bad.size(), 1);
    QCOMPARE(log.bad.first().line, 3);
    QCOMPARE(log.bad.first().fault, fault);
    QCOMPARE(log.bad.first().text, odd);
    QCOMPARE(log.runs.size(), counted ? 4 : 3);
    QCOMPARE(log.runs.last().line, 4);
    QCOMPARE(log.runs.first().test, 2);
}

void tst_TestLogReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("end");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
}

void tst_TestLogReader::lineEnds()
{
    QFETCH(QByteArray, end);
    const QByteArray line = "anna | 10:00:00 | 08.12.2026 | test1 | 4";
    const TestLogReader log = TestLogReader::parse(line + end + line + end + line);
    QCOMPARE(log.lines, 3);
    QCOMPARE(log.runs.size(), 3);
    QVERIFY(log.bad.isEmpty());
}

void tst_TestLogReader::aNameHoldingTheSeparator()
{
    const QByteArray line = "a | b | 10:00:00 | 08.12.2026 | test1 | 4\r\n";
    QCOMPARE(TestLogReader::parse(line).bad.size(), 1);
    const TestLogReader log = TestLogReader::parse(line, {"a | b"});
    QCOMPARE(log.runs.size(), 1);
    QCOMPARE(log.runs.first().user, QByteArray("a | b"));
}

void tst_TestLogReader::whatCannotBeOpenedIsReported_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("says");
    QTest::newRow("no settings file") << QByteArray() << QStringLiteral("tumb.db");
    QTest::newRow("no log name") << QByteArray("admin|secret|\r\n")
                                 << QStringLiteral("не указано имя журнала");
    QTest::newRow("no log file") << QByteArray("admin|secret|none.txt\r\n")
                                 << QStringLiteral("none.txt");
    // Named, never read: the lines of another user's file stay out of the
    // report.
    QTest::newRow("log outside") << QByteArray("admin|secret|/etc/passwd\r\n")
                                 << QStringLiteral("«/etc/passwd» лежит за пределами папки курса");
    QTest::newRow("log above") << QByteArray("admin|secret|..\\log.txt\r\n")
                               << QStringLiteral("«..\\log.txt» лежит за пределами папки курса");
    // Planted in the log's place: read at once or not at all.
    QTest::newRow("log a named pipe")
        << QByteArray("admin|secret|pipe.txt\r\n") << QStringLiteral("именованный канал");
    QTest::newRow("3 GB log") << QByteArray("admin|secret|sparse.txt\r\n")
                              << QStringLiteral("sparse.txt» занимает 3072 МБ");
}

void tst_TestLogReader::whatCannotBeOpenedIsReported()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, says);
    TempWorkDir dir;
    QVERIFY(dir.isCurrent());
    if (!settings.isEmpty())
        QVERIFY(dir.write("data/info/tumb.db", settings));
    if (settings.contains("pipe.txt"))
        QCOMPARE(::mkfifo("pipe.txt", 0666), 0);
    QFile sparse(QStringLiteral("sparse.txt"));
    if (settings.contains("sparse.txt"))
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(3LL << 30));
    const TestLogReader log = TestLogReader::read(FolderStore(QDir::currentPath()));
    QVERIFY2(log.failure.contains(says), qPrintable(log.failure));
    QVERIFY(log.runs.isEmpty());
    QCOMPARE(log.lines, 0);
}

QTEST_GUILESS_MAIN(tst_TestLogReader)
#include "tst_testlogreader.moc"
