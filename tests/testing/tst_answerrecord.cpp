// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "TempWorkDir.h"
#include "TestLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class tst_AnswerRecord : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lineRoundTrip_data();
    void lineRoundTrip();
    void brokenLines_data();
    void brokenLines();
    void fileBesideTheLog_data();
    void fileBesideTheLog();
    void versionIsTheFilesHashPrefix();
    void rightDigitOnlyForAnswerableKeys_data();
    void rightDigitOnlyForAnswerableKeys();
    void appendBesideTheLogThenGrows();
    void refusedAppendThrowsAndWritesNothing_data();
    void refusedAppendThrowsAndWritesNothing();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_AnswerRecord::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_AnswerRecord::cleanup()
{
    m_dir.reset();
}

void tst_AnswerRecord::lineRoundTrip_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("cyrillic name")
        << QByteArray("\xC8\xE2\xE0\xED") << QByteArray("1524") << QByteArray("1504")
        << QByteArray("\xC8\xE2\xE0\xED | 2026-12-08 09:05:07 | test3 | "
                      "4 | 0a1b2c3d | 1524 | 1504\r\n");
    // The program lets a name hold the separator; the fields are counted
    // from the end.
    QTest::newRow("separator in the name")
        << QByteArray("a | b") << QByteArray("5") << QByteArray("5")
        << QByteArray("a | b | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d | 5 | 5\r\n");
}

void tst_AnswerRecord::lineRoundTrip()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, chosen);
    QFETCH(QByteArray, right);
    AnswerRecord record;
    record.user = user;
    record.date = QDate(2026, 12, 8);
    record.time = QTime(9, 5, 7);
    record.testName = "test3";
    record.grade = 4;
    record.version = "0a1b2c3d";
    record.chosen = chosen;
    record.right = right;
    const QByteArray line = record.line();
    QTEST(line, "expected");

    AnswerRecord back;
    QCOMPARE(AnswerRecord::parse(line.chopped(2), back), AnswerRecord::Fault::None);
    QCOMPARE(back.user, user);
    QCOMPARE(back.date, record.date);
    QCOMPARE(back.time, record.time);
    QCOMPARE(back.testName, QByteArray("test3"));
    QCOMPARE(back.grade, 4);
    QCOMPARE(back.version, record.version);
    QCOMPARE(back.chosen, chosen);
    QCOMPARE(back.right, right);
}

void tst_AnswerRecord::brokenLines_data()
{
    using F = AnswerRecord::Fault;
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<AnswerRecord::Fault>("fault");
    const QByteArray tail = " | test3 | 4 | 0a1b2c3d | 152 | 150";
    QTest::newRow("empty") << QByteArray() << F::FieldCount;
    QTest::newRow("a log line") << QByteArray("anna | 9:05:07 | 08.12.2026 | test3 | 4")
                                << F::FieldCount;
    QTest::newRow("no user") << " | 2026-12-08 09:05:07" + tail << F::FieldCount;
    QTest::newRow("cut short") << QByteArray("anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d")
                               << F::FieldCount;
    QTest::newRow("log's date") << "anna | 08.12.2026 09:05:07" + tail << F::BadTime;
    QTest::newRow("no such day") << "anna | 2026-02-30 09:05:07" + tail << F::BadTime;
    QTest::newRow("no such hour") << "anna | 2026-12-08 24:05:07" + tail << F::BadTime;
    QTest::newRow("sign in the date") << "anna | 2026-+2-08 09:05:07" + tail << F::BadTime;
    QTest::newRow("test11") << QByteArray(
                                   "anna | 2026-12-08 09:05:07 | test11 | 4 | 0a1b2c3d | 1 | 1")
                            << F::UnknownTest;
    QTest::newRow("test03") << QByteArray(
                                   "anna | 2026-12-08 09:05:07 | test03 | 4 | 0a1b2c3d | 1 | 1")
                            << F::UnknownTest;
    QTest::newRow("grade 0") << QByteArray(
                                    "anna | 2026-12-08 09:05:07 | test3 | 0 | 0a1b2c3d | 1 | 1")
                             << F::BadGrade;
    QTest::newRow("grade 45") << QByteArray(
                                     "anna | 2026-12-08 09:05:07 | test3 | 45 | 0a1b2c3d | 1 | 1")
                              << F::BadGrade;
    QTest::newRow("upper-case version")
        << QByteArray("anna | 2026-12-08 09:05:07 | test3 | 4 | 0A1B2C3D | 1 | 1") << F::BadVersion;
    QTest::newRow("short version")
        << QByteArray("anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3 | 1 | 1") << F::BadVersion;
    QTest::newRow("chosen 0") << QByteArray(
                                     "anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d | 10 | 11")
                              << F::BadAnswers;
    QTest::newRow("right 6") << QByteArray(
                                    "anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d | 11 | 16")
                             << F::BadAnswers;
    QTest::newRow("lengths apart")
        << QByteArray("anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d | 111 | 11")
        << F::BadAnswers;
    QTest::newRow("no answers") << QByteArray(
                                       "anna | 2026-12-08 09:05:07 | test3 | 4 | 0a1b2c3d |  | ")
                                << F::BadAnswers;
}

void tst_AnswerRecord::brokenLines()
{
    QFETCH(QByteArray, line);
    AnswerRecord record;
    QTEST(AnswerRecord::parse(line, record), "fault");
}

void tst_AnswerRecord::fileBesideTheLog_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QByteArray>("answers");
    QTest::newRow("extension") << QByteArray("testlog.txt") << QByteArray("testlog-answers.txt");
    QTest::newRow("none") << QByteArray("testlog") << QByteArray("testlog-answers");
    QTest::newRow("last extension")
        << QByteArray("log.2026.txt") << QByteArray("log.2026-answers.txt");
    QTest::newRow("dot in a folder")
        << QByteArray("data.old\\log") << QByteArray("data.old\\log-answers");
    QTest::newRow("dot in a slash folder")
        << QByteArray("data.old/log") << QByteArray("data.old/log-answers");
    QTest::newRow("hidden") << QByteArray("logs\\.log") << QByteArray("logs\\.log-answers");
    QTest::newRow("folder and extension")
        << QByteArray("Data\\Info\\\xC6\xF3\xF0\xED\xE0\xEB.TXT")
        << QByteArray("Data\\Info\\\xC6\xF3\xF0\xED\xE0\xEB-answers.TXT");
}

void tst_AnswerRecord::fileBesideTheLog()
{
    QFETCH(QByteArray, log);
    QTEST(AnswerRecord::fileName(log), "answers");
}

void tst_AnswerRecord::versionIsTheFilesHashPrefix()
{
    const QByteArray bytes("[1]\r\nq=\x01\x02\r\n");
    const QByteArray version = AnswerRecord::versionOf(bytes);
    QCOMPARE(version.size(), AnswerRecord::VersionLength);
    QVERIFY(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().startsWith(version));
    QCOMPARE(AnswerRecord::versionOf(""), QByteArray("e3b0c442"));
    QVERIFY(AnswerRecord::versionOf(bytes + ' ') != version);
}

void tst_AnswerRecord::rightDigitOnlyForAnswerableKeys_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<char>("digit");
    QTest::newRow("1") << QByteArray("1") << '1';
    QTest::newRow("5") << QByteArray("5") << '5';
    QTest::newRow("6") << QByteArray("6") << '0';
    QTest::newRow("0") << QByteArray("0") << '0';
    QTest::newRow("two digits") << QByteArray("12") << '0';
    QTest::newRow("missing marker") << QByteArray("!!!!!!") << '0';
    QTest::newRow("empty") << QByteArray() << '0';
}

void tst_AnswerRecord::rightDigitOnlyForAnswerableKeys()
{
    QFETCH(QByteArray, stored);
    QTEST(AnswerRecord::rightDigit(stored), "digit");
}

void tst_AnswerRecord::appendBesideTheLogThenGrows()
{
    QVERIFY(m_dir->mkpath("Data/Logs"));
    AnswerRecord::append("data\\logs\\log.txt", "a\r\n");
    AnswerRecord::append("data\\logs\\log.txt", "b\r\n");
    QCOMPARE(m_dir->read("Data/Logs/log-answers.txt"), QByteArray("a\r\nb\r\n"));
    QVERIFY(!QFile::exists(m_dir->filePath("Data/Logs/log.txt")));
}

void tst_AnswerRecord::refusedAppendThrowsAndWritesNothing_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder") << QByteArray("nofolder\\log.txt") << "Path not found";
    QTest::newRow("folder as the log") << QByteArray("adir") << "File access denied";
    QTest::newRow("empty name") << QByteArray() << "File access denied";
    QTest::newRow("read-only record file") << QByteArray("ro.txt") << "File access denied";
    QTest::newRow("log above the folder") << QByteArray("..\\log.txt") << "@outside";
    QTest::newRow("record file a link out") << QByteArray("out.txt") << "@link";
}

void tst_AnswerRecord::refusedAppendThrowsAndWritesNothing()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir->path()).mkdir("adir"));
    QVERIFY(m_dir->write("ro-answers.txt", "old\r\n"));
    QVERIFY(QFile::setPermissions(m_dir->filePath("ro-answers.txt"), QFileDevice::ReadOwner));
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(QFile::link(home.filePath("answers.txt"), m_dir->filePath("out-answers.txt")));
    const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
    try {
        AnswerRecord::append(name, "x\r\n");
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        if (message == "@outside")
            QCOMPARE(e.message(), CodePage::toUnicode(AdminSettings::logNameOutsideText(name)));
        else if (message == "@link")
            QVERIFY2(e.message().contains("out-answers.txt"), qPrintable(e.message()));
        else
            QCOMPARE(e.message(), message);
    }
    QVERIFY(!QFileInfo::exists(home.filePath("answers.txt")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
    QCOMPARE(m_dir->read("ro-answers.txt"), QByteArray("old\r\n"));
}

QTEST_GUILESS_MAIN(tst_AnswerRecord)
#include "tst_answerrecord.moc"
