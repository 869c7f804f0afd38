// SPDX-License-Identifier: GPL-3.0-or-later
#include "GradeChange.h"

#include <QTest>

class TestGradeChange : public QObject
{
    Q_OBJECT

private slots:
    void lineRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("regrade") << QByteArray("2026-12-02 08:00:00 | regrade | test3 | 0a1b2c3d | "
                                               "2026-12-01 10:00:00 | 3 | 5 | 240 |  | anna");
        QTest::newRow("by hand, bars in the reason and the name")
            << QByteArray("2026-12-02 08:00:00 | grade | test10 | - | - | 0 | 4 | - | "
                          "\\\\ \\| \\|x | a | b");
        QTest::newRow("key") << QByteArray("2026-12-02 08:00:00 | key | test1 | ffffffff | - | - | "
                                           "- | 12345 |  | -");
    }
    void lineRoundTrip()
    {
        QFETCH(QByteArray, line);
        GradeChange c;
        QCOMPARE(GradeChange::parse(line, c), GradeChange::Fault::None);
        QCOMPARE(c.line(), line + "\r\n");
    }

    void brokenLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<GradeChange::Fault>("fault");
        const QByteArray when = "2026-12-02 08:00:00 | ";
        QTest::newRow("short") << when + "grade | test1 | - | - | 0 | 4 | -"
                               << GradeChange::Fault::FieldCount;
        QTest::newRow("no user") << when + "grade | test1 | - | - | 0 | 4 | - | why | "
                                 << GradeChange::Fault::FieldCount;
        QTest::newRow("time")
            << QByteArray("2026-02-30 08:00:00 | grade | test1 | - | - | 0 | 4 | - | x | a")
            << GradeChange::Fault::BadTime;
        QTest::newRow("kind") << when + "mark | test1 | - | - | 0 | 4 | - | x | a"
                              << GradeChange::Fault::BadKind;
        QTest::newRow("test") << when + "grade | test11 | - | - | 0 | 4 | - | x | a"
                              << GradeChange::Fault::UnknownTest;
        QTest::newRow("grade") << when + "grade | test1 | - | - | 0 | 6 | - | x | a"
                               << GradeChange::Fault::BadGrade;
        QTest::newRow("version")
            << when + "regrade | test1 | 0A1B2C3D | 2026-12-01 10:00:00 | 3 | 5 | 24 |  | a"
            << GradeChange::Fault::BadVersion;
        QTest::newRow("key")
            << when + "regrade | test1 | 0a1b2c3d | 2026-12-01 10:00:00 | 3 | 5 | 2x |  | a"
            << GradeChange::Fault::BadKey;
    }
    void brokenLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(GradeChange::Fault, fault);
        GradeChange c;
        QCOMPARE(GradeChange::parse(line, c), fault);
        QCOMPARE(GradeChange::parseAll("\r\n" + line + "\r\n").badLines, QList<qsizetype>{2});
    }
};

QTEST_APPLESS_MAIN(TestGradeChange)
#include "tst_gradechange.moc"
