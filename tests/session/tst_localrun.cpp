// SPDX-License-Identifier: GPL-3.0-or-later
// A run of a course folder's test as the window drives it: the signals of a
// run source, the grade and the review from the file's keys, and the end in
// the session (the table, the log line, the tests passed).
#include "LocalRun.h"
#include "MemoryStore.h"
#include "RuntimeError.h"

#include <QSignalSpy>
#include <QtTest>

class tst_LocalRun : public QObject
{
    Q_OBJECT

private slots:
    void run_data();
    void run();
};

void tst_LocalRun::run_data()
{
    QTest::addColumn<QByteArray>("test");
    QTest::addColumn<bool>("logKept");
    QTest::addColumn<QList<int>>("digits");
    QTest::addColumn<int>("questionChanges");
    QTest::addColumn<int>("finished");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QList<int>>("mistakes");
    // The keys are 1, 2, 3.
    QTest::newRow("all right") << QByteArray("test2") << true << QList<int>{1, 2, 3} << 2 << 1 << 5
                               << QList<int>{};
    QTest::newRow("two wrong") << QByteArray("test2") << true << QList<int>{1, 5, 4} << 2 << 1 << 2
                               << QList<int>{2, 3};
    QTest::newRow("answer after the end")
        << QByteArray("test2") << true << QList<int>{1, 2, 3, 4} << 2 << 1 << 5 << QList<int>{};
    QTest::newRow("no such test") << QByteArray("test9") << true << QList<int>{1} << 0 << 0 << 0
                                  << QList<int>{};
    // The grade is in the table; the end is not told.
    QTest::newRow("log not kept") << QByteArray("test2") << false << QList<int>{1, 2, 1} << 2 << 0
                                  << 4 << QList<int>{3};
}

void tst_LocalRun::run()
{
    QFETCH(QByteArray, test);
    QFETCH(bool, logKept);
    QFETCH(QList<int>, digits);
    QFETCH(int, questionChanges);
    QFETCH(int, finished);
    QFETCH(int, grade);
    QFETCH(QList<int>, mistakes);
    MemoryStore store;
    store.addUser("anna", "pw");
    store.stored = ClassSettings();
    for (int k = 1; k <= 3; ++k)
        store.tests["test2"].append({"q" + QByteArray::number(k),
                                     {"A) a", "B) b", "C) c", "D) d", "E) e"},
                                     QByteArray::number(k)});
    Session session(store);
    if (logKept)
        session.start();
    QCOMPARE(session.logIn(QStringLiteral("anna"), QStringLiteral("pw")).result,
             Session::LoginResult::Student);
    LocalRun run(store, session);
    QSignalSpy started(&run, &RunSource::started);
    QSignalSpy changed(&run, &RunSource::questionChanged);
    QSignalSpy ended(&run, &RunSource::finished);
    QSignalSpy refused(&run, &RunSource::refused);
    run.start(test);
    QCOMPARE(refused.size(), grade == 0 ? 1 : 0);
    QCOMPARE(started.size(), grade == 0 ? 0 : 1);
    if (grade == 0) {
        QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("no test test9"));
        QCOMPARE(run.question().number, 0);
        return;
    }
    QCOMPARE(run.question().text, QByteArray("q1"));
    QCOMPARE(run.question().count, 3);
    for (int digit : digits) {
        if (!logKept && changed.size() == questionChanges)
            QVERIFY_THROWS_EXCEPTION(RuntimeError, run.answer(digit));
        else
            run.answer(digit);
    }
    QCOMPARE(changed.size(), questionChanges);
    QCOMPARE(ended.size(), finished);
    QVERIFY(run.isOver());
    QCOMPARE(run.grade(), grade);
    QCOMPARE(session.scores()[1], quint8(grade));
    QList<int> wrong;
    for (const TestRun::Mistake &m : run.mistakes())
        wrong.append(m.number);
    QCOMPARE(wrong, mistakes);
    QCOMPARE(store.log.size(), finished);
    QCOMPARE(run.end().logLine, store.log.value(0));
    QCOMPARE(run.end().passed,
             finished && grade >= 3 ? QList<QByteArray>{"test2"} : QList<QByteArray>{});
}

QTEST_GUILESS_MAIN(tst_LocalRun)
#include "tst_localrun.moc"
