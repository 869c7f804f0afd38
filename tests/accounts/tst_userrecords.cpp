// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserRecords.h"

#include <QTest>

class TestUserRecords : public QObject
{
    Q_OBJECT

private slots:
    void renamed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("fields");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("changed");
        const QByteArray log = "anna | 10:00:00 | 01.12.2026 | test1 | 5\r\n"
                               "ANNA | 10:01:00 | 01.12.2026 | test2 | 4\r\n"
                               "annabel | 10:02:00 | 01.12.2026 | test1 | 3\r\n";
        QTest::newRow("every spelling of the name, no longer one")
            << log << 4
            << QByteArray(log).replace("anna |", "Anna K |").replace("ANNA |", "Anna K |") << 2;
        QTest::newRow("a name holding the separator")
            << QByteArray("a | b | 10:00:00 | 01.12.2026 | test1 | 5\r\n") << 4
            << QByteArray("Anna K | 10:00:00 | 01.12.2026 | test1 | 5\r\n") << 1;
        QTest::newRow("line ends kept, last line without one")
            << QByteArray("anna | 1 | 2 | t | 5\n\nanna | 1 | 2 | t | 4\r\r\nanna | 1 | 2 | t | 3")
            << 4
            << QByteArray(
                   "Anna K | 1 | 2 | t | 5\n\nAnna K | 1 | 2 | t | 4\r\r\nAnna K | 1 | 2 | t | 3")
            << 3;
        QTest::newRow("too few fields: not a record of anyone")
            << QByteArray("anna | 1 | 2\r\nbroken\r\n") << 4
            << QByteArray("anna | 1 | 2\r\nbroken\r\n") << 0;
        QTest::newRow("answer record: six fields after the user")
            << QByteArray("anna | 2026-12-01 10:00:00 | test1 | 4 | 0a1b2c3d | 12 | 12\r\n") << 6
            << QByteArray("Anna K | 2026-12-01 10:00:00 | test1 | 4 | 0a1b2c3d | 12 | 12\r\n") << 1;
    }

    void renamed()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, fields);
        QFETCH(QByteArray, expected);
        QFETCH(int, changed);
        const QByteArray from =
            QTest::currentDataTag() == QByteArray("a name holding the separator")
                ? QByteArray("A | B")
                : QByteArray("anna");
        int count = -1;
        QCOMPARE(UserRecords::renamed(text, from, "Anna K", fields, &count), expected);
        QCOMPARE(count, changed);
    }

    void answerRecordName_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("extension")
            << QByteArray("testlog.txt") << QByteArray("testlog-answers.txt");
        QTest::newRow("none") << QByteArray("log") << QByteArray("log-answers");
        QTest::newRow("dot in a folder")
            << QByteArray("data.d\\log") << QByteArray("data.d\\log-answers");
        QTest::newRow("hidden file") << QByteArray("data/.log") << QByteArray("data/.log-answers");
    }

    void answerRecordName()
    {
        QFETCH(QByteArray, log);
        QFETCH(QByteArray, record);
        QCOMPARE(UserRecords::answerRecordName(log), record);
    }
};

QTEST_GUILESS_MAIN(TestUserRecords)
#include "tst_userrecords.moc"
