// SPDX-License-Identifier: GPL-3.0-or-later
#include "GradeChanges.h"

#include <QTest>

namespace {

// Taken while the key's last digit was 1 by mistake; the test now says 5.
const QByteArray Key = "3241532415";
const QByteArray Run = "anna | 2026-12-01 10:00:00 | test1 | 3 | 0a1b2c3d | 3241532415 | "
                       "3241532411\r\n";

GradeChanges::Plan planOf(const QByteArray &records, int stored)
{
    return GradeChanges::plan(1, Key, records, {}, [stored](const QByteArray &) { return stored; });
}

} // namespace

// A regrade shown to the teacher is stored only while the records still give
// the same changes.
class TestGradeChanges : public QObject
{
    Q_OBJECT

private slots:
    void sameChanges_data()
    {
        QTest::addColumn<QByteArray>("records"); // when the teacher confirms
        QTest::addColumn<int>("stored");         // anna's grade then
        QTest::addColumn<bool>("same");
        QTest::newRow("nothing since") << Run << 3 << true;
        QTest::newRow("a run since")
            << Run + "anna | 2026-12-02 10:00:00 | test1 | 2 | 0a1b2c3d | 3241532411 | "
                     "3241532411\r\n"
            << 2 << false;
        QTest::newRow("a grade set by hand since") << Run << 4 << false;
        QTest::newRow("another version's run since")
            << Run + "boris | 2026-12-02 10:00:00 | test1 | 5 | 99999999 | 3241532415 | "
                     "3241532415\r\n"
            << 3 << false;
    }

    void sameChanges()
    {
        QFETCH(QByteArray, records);
        QFETCH(int, stored);
        QFETCH(bool, same);
        const GradeChanges::Plan shown = planOf(Run, 3);
        QCOMPARE(shown.regrades.size(), 1);
        QCOMPARE(GradeChanges::sameChanges(shown, planOf(records, stored)), same);
    }
};

QTEST_APPLESS_MAIN(TestGradeChanges)
#include "tst_gradechanges.moc"
