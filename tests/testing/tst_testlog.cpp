// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"
#include "CodePage.h"
#include "DateTimeFormat.h"
#include "RuntimeError.h"
#include "TempWorkDir.h"
#include "TestLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>
#include <memory>

class tst_TestLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lineHasFiveFieldsAndCrLf();
    void logFormatsFollowTheLocale_data();
    void logFormatsFollowTheLocale();
    void appendCreatesThenGrows();
    void appendFindsFolderInOtherCase();
    void refusedAppendThrowsAndWritesNothing_data();
    void refusedAppendThrowsAndWritesNothing();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_TestLog::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
}

void tst_TestLog::cleanup()
{
    m_dir.reset();
}

void tst_TestLog::lineHasFiveFieldsAndCrLf()
{
    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
    const QByteArray line = TestLog::line("\xc8\xe2\xe0\xed", when, "test3", 4);
    QVERIFY(line.endsWith("\r\n"));
    const QList<QByteArray> fields = line.chopped(2).split('|');
    QCOMPARE(fields.size(), 5);
    QCOMPARE(fields[0], QByteArray("\xc8\xe2\xe0\xed "));
    QCOMPARE(fields[3], QByteArray(" test3 "));
    QCOMPARE(fields[4], QByteArray(" 4"));
    QVERIFY2(fields[1].contains("09") || fields[1].contains("9:05"), fields[1].constData());
    QVERIFY2(fields[1].contains("05") && fields[1].contains("07"), fields[1].constData());
    // The date reads back in the platform's short date format.
    const QDate back = DateTimeFormat::logLocale(QLocale::system())
                           .toDate(QString::fromLatin1(fields[2].trimmed()), QLocale::ShortFormat);
    QCOMPARE(back.month(), 12);
    QCOMPARE(back.day(), 8);
    // No time zone in the time field.
    QVERIFY(!fields[1].contains("UTC"));
}

void tst_TestLog::logFormatsFollowTheLocale_data()
{
    QTest::addColumn<QLocale>("system");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("date");
    // No language named: the program's own, not English month names.
    QTest::newRow("C") << QLocale::c() << QStringLiteral("03:37:22")
                       << QStringLiteral("08.12.2026");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QString usTime = us.timeFormat(QLocale::LongFormat).remove(QLatin1Char('t')).trimmed();
    QTest::newRow("named locale as it is") << us << us.toString(QTime(3, 37, 22), usTime)
                                           << us.toString(QDate(2026, 12, 8), QLocale::ShortFormat);
}

void tst_TestLog::logFormatsFollowTheLocale()
{
    QFETCH(QLocale, system);
    QTEST(DateTimeFormat::longTime(QTime(3, 37, 22), system), "time");
    QTEST(DateTimeFormat::shortDate(QDate(2026, 12, 8), system), "date");
}

void tst_TestLog::appendCreatesThenGrows()
{
    TestLog::append("log.txt", "a | 1\r\n");
    TestLog::append("log.txt", "b | 2\r\n");
    QFile f(m_dir->filePath("log.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("a | 1\r\nb | 2\r\n"));
}

void tst_TestLog::appendFindsFolderInOtherCase()
{
    QVERIFY(QDir(m_dir->path()).mkpath("Data/Logs"));
    TestLog::append("data\\logs\\LOG.TXT", "x\r\n");
    QVERIFY(QFileInfo::exists(m_dir->filePath("Data/Logs/LOG.TXT")));
}

void tst_TestLog::refusedAppendThrowsAndWritesNothing_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << QByteArray("nofolder\\log.txt") << "Path not found";
    QTest::newRow("folder as the file") << QByteArray("adir") << "File access denied";
    QTest::newRow("empty name") << QByteArray() << "File access denied";
    // "@up" the folder above the course folder, "@dir" the course folder's
    // name; "@outside" the refusal of a name out of the folder.
    QTest::newRow("dot dot out") << QByteArray("..\\@dir-log.txt") << "@outside";
    QTest::newRow("absolute outside") << QByteArray("@up/@dir-log.txt") << "@outside";
    QTest::newRow("through a link out") << QByteArray("out\\@dir-log.txt") << "@outside";
    QTest::newRow("dangling link") << QByteArray("gone.txt") << "@outside";
}

void tst_TestLog::refusedAppendThrowsAndWritesNothing()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir->path()).mkdir("adir"));
    const QString up = QFileInfo(m_dir->path()).path();
    const QString dir = QFileInfo(m_dir->path()).fileName();
    QVERIFY(QFile::link(up, m_dir->filePath("out")));
    QVERIFY(QFile::link(up + "/" + dir + "-gone", m_dir->filePath("gone.txt")));
    name.replace("@up", QFile::encodeName(up)).replace("@dir", QFile::encodeName(dir));
    if (message == "@outside")
        message = CodePage::toUnicode(AdminSettings::logNameOutsideText(name));
    try {
        TestLog::append(name, "x\r\n");
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(!QFileInfo::exists(up + "/" + dir + "-log.txt"));
    QVERIFY(!QFileInfo::exists(up + "/" + dir + "-gone"));
}

QTEST_GUILESS_MAIN(tst_TestLog)
#include "tst_testlog.moc"
