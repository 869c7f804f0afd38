// SPDX-License-Identifier: GPL-3.0-or-later
#include "Grading.h"
#include "UnlockTable.h"

#include <QTest>

// The grade limits and the unlock table: together they decide what a finished
// run opens in the menu.
class tst_Grading : public QObject
{
    Q_OBJECT

private slots:
    void grade_data();
    void grade();
    void unlockRows_data();
    void unlockRows();
};

void tst_Grading::grade_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("grade");
    QTest::newRow("all of 10") << 10 << 10 << 5;
    QTest::newRow("8 of 10 is the limit of 5") << 8 << 10 << 5;
    QTest::newRow("7 of 10") << 7 << 10 << 4;
    QTest::newRow("6 of 10 is the limit of 4") << 6 << 10 << 4;
    QTest::newRow("4 of 10 is the limit of 3") << 4 << 10 << 3;
    QTest::newRow("3 of 10") << 3 << 10 << 2;
    QTest::newRow("2 of 10 is the limit of 2") << 2 << 10 << 2;
    QTest::newRow("1 of 10") << 1 << 10 << 1;
    QTest::newRow("none") << 0 << 10 << 1;
    QTest::newRow("2 of 3 is 66.7") << 2 << 3 << 4;
    QTest::newRow("1 of 3 is 33.3") << 1 << 3 << 2;
    QTest::newRow("4 of 5 is exactly 80") << 4 << 5 << 5;
    QTest::newRow("3 of 5 is exactly 60") << 3 << 5 << 4;
    QTest::newRow("1 of 1") << 1 << 1 << 5;
    QTest::newRow("0 of 1") << 0 << 1 << 1;
    QTest::newRow("79999 of 100000 stays below") << 79999 << 100000 << 4;
    QTest::newRow("large count") << 80000000 << 100000000 << 5;
}

void tst_Grading::grade()
{
    QFETCH(int, right);
    QFETCH(int, count);
    QTEST(Grading::grade(right, count), "grade");
}

void tst_Grading::unlockRows_data()
{
    QTest::addColumn<QByteArray>("test");
    QTest::addColumn<QList<QByteArray>>("entries");
    QTest::newRow("test1") << QByteArray("test1") << QList<QByteArray>{"n2", "test2"};
    QTest::newRow("test3") << QByteArray("test3") << QList<QByteArray>{"n33", "test4"};
    QTest::newRow("test5") << QByteArray("test5") << QList<QByteArray>{"n39", "test6"};
    QTest::newRow("test9") << QByteArray("test9") << QList<QByteArray>{"n4", "test10"};
    QTest::newRow("test10 has no row") << QByteArray("test10") << QList<QByteArray>{};
    QTest::newRow("test11 has no row") << QByteArray("test11") << QList<QByteArray>{};
    QTest::newRow("not a test") << QByteArray("n1") << QList<QByteArray>{};
    QTest::newRow("prefix of a name") << QByteArray("test") << QList<QByteArray>{};
}

void tst_Grading::unlockRows()
{
    QFETCH(QByteArray, test);
    QTEST(UnlockTable::defaultEntries(test), "entries");
}

QTEST_GUILESS_MAIN(tst_Grading)
#include "tst_grading.moc"
