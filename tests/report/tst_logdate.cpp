// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "DateTimeFormat.h"
#include "LogDate.h"

#include <QTest>

class tst_LogDate : public QObject
{
    Q_OBJECT

private slots:
    void readsTheCommonShortForms_data();
    void readsTheCommonShortForms();
    void readsWhatThisMachineWrites_data();
    void readsWhatThisMachineWrites();
    void refusesWhatIsNoDate_data();
    void refusesWhatIsNoDate();
    void readsTheTimeField_data();
    void readsTheTimeField();
};

void tst_LogDate::readsTheCommonShortForms_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDate>("date");
    const QDate d(2026, 12, 8);
    QTest::newRow("Russian") << QByteArray("08.12.2026") << d;
    QTest::newRow("Russian, short year") << QByteArray("08.12.26") << d;
    QTest::newRow("no leading zeros") << QByteArray("8.12.2026") << d;
    QTest::newRow("blanks around") << QByteArray("  08.12.2026 ") << d;
    QTest::newRow("year mark") << QByteArray("08.12.2026 \xE3.") << d;
    QTest::newRow("ISO") << QByteArray("2026-12-08") << d;
    QTest::newRow("dashes, day first") << QByteArray("08-12-2026") << d;
    // Only one order makes a date of these, whatever this machine prefers.
    QTest::newRow("slashes, day above 12 first") << QByteArray("25/3/2026") << QDate(2026, 3, 25);
    QTest::newRow("slashes, day above 12 second") << QByteArray("3/25/26") << QDate(2026, 3, 25);
}

void tst_LogDate::readsTheCommonShortForms()
{
    QFETCH(QByteArray, text);
    QFETCH(QDate, date);
    QCOMPARE(LogDate::parse(text), date);
}

void tst_LogDate::readsWhatThisMachineWrites_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    // Day and month both below 13, so the order matters.
    QTest::newRow("8 December") << QDate(2026, 12, 8) << QTime(0, 0, 1);
    QTest::newRow("12 August") << QDate(2026, 8, 12) << QTime(9, 5, 3);
    QTest::newRow("1 February") << QDate(2027, 2, 1) << QTime(12, 30, 0);
    QTest::newRow("31 December") << QDate(2030, 12, 31) << QTime(23, 59, 59);
}

void tst_LogDate::readsWhatThisMachineWrites()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    const QString written = DateTimeFormat::shortDate(date);
    QCOMPARE(LogDate::parse(CodePage::fromUnicode(written)), date);
    QCOMPARE(LogDate::parseTime(CodePage::fromUnicode(DateTimeFormat::longTime(time))), time);
    QCOMPARE(LogDate::show(date), date.toString(QStringLiteral("dd.MM.yyyy")));
}

void tst_LogDate::refusesWhatIsNoDate_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no such day") << QByteArray("31.02.2026");
    QTest::newRow("two parts") << QByteArray("08.12");
    QTest::newRow("trailing separator") << QByteArray("08.12.2026.");
    QTest::newRow("mixed separators") << QByteArray("08/12-2026");
    QTest::newRow("month as a word") << QByteArray("8 \xE4\xE5\xEA 2026");
    QTest::newRow("three-digit day") << QByteArray("108.12.2026");
    QTest::newRow("three-digit year") << QByteArray("08.12.202");
    QTest::newRow("time instead") << QByteArray("10:15:00");
    QTest::newRow("month 13 both ways") << QByteArray("13/13/2026");
}

void tst_LogDate::refusesWhatIsNoDate()
{
    QFETCH(QByteArray, text);
    QVERIFY(!LogDate::parse(text).isValid());
}

void tst_LogDate::readsTheTimeField_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QTime>("time"); // invalid: no time
    QTest::newRow("Russian") << QByteArray("14:05:09") << QTime(14, 5, 9);
    QTest::newRow("no seconds, one-digit hour") << QByteArray(" 9:05 ") << QTime(9, 5);
    QTest::newRow("afternoon mark") << QByteArray("2:05:09 PM") << QTime(14, 5, 9);
    QTest::newRow("midnight mark") << QByteArray("12:00:01 AM") << QTime(0, 0, 1);
    QTest::newRow("dots") << QByteArray("14.05.09") << QTime(14, 5, 9);
    QTest::newRow("empty") << QByteArray() << QTime();
    QTest::newRow("a date instead") << QByteArray("08.12.2026") << QTime();
    QTest::newRow("mixed separators") << QByteArray("14:05.09") << QTime();
    QTest::newRow("hour 13 with a mark") << QByteArray("13:00 PM") << QTime();
    QTest::newRow("a word after") << QByteArray("14:05:09 MSK") << QTime();
}

void tst_LogDate::readsTheTimeField()
{
    QFETCH(QByteArray, text);
    QFETCH(QTime, time);
    QCOMPARE(LogDate::parseTime(text), time);
}

QTEST_GUILESS_MAIN(tst_LogDate)
#include "tst_logdate.moc"
