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
    void run_data()
    {
        QTest::addColumn<QByteArray>("test");
        QTest::addColumn<bool>("logKept");
        QTest::addColumn<QList<int>>("digits");
        QTest::addColumn<int>("finished");
        QTest::addColumn<int>("grade");
        QTest::addColumn<QList<int>>("mistakes");
        // The keys are 1, 2, 3; an answer after the end counts for nothing.
        QTest::newRow("all right")
            << QByteArray("test2") << true << QList<int>{1, 2, 3, 4} << 1 << 5 << QList<int>{};
        QTest::newRow("two wrong")
            << QByteArray("test2") << true << QList<int>{1, 5, 4} << 1 << 2 << QList<int>{2, 3};
        QTest::newRow("no such test")
            << QByteArray("test9") << true << QList<int>{} << 0 << 0 << QList<int>{};
        // The grade is in the table; the end is not told.
        QTest::newRow("log not kept")
            << QByteArray("test2") << false << QList<int>{1, 2, 1} << 0 << 4 << QList<int>{3};
    }

    void run()
    {
        QFETCH(QByteArray, test);
        QFETCH(bool, logKept);
        QFETCH(QList<int>, digits);
        QFETCH(int, finished);
        QFETCH(int, grade);
        QFETCH(QList<int>, mistakes);
        MemoryStore store;
        store.addUser("anna", "pw");
        store.stored = ClassSettings();
        for (const char *k : {"1", "2", "3"})
            store.tests["test2"].append({QByteArray("q") + k, {"A) a", "B) b", "C) c"}, k});
        Session session(store);
        if (logKept)
            session.start();
        session.logIn(QStringLiteral("anna"), QStringLiteral("pw"));
        LocalRun run(store, session);
        QSignalSpy started(&run, &RunSource::started);
        QSignalSpy changed(&run, &RunSource::questionChanged);
        QSignalSpy ended(&run, &RunSource::finished);
        QSignalSpy refused(&run, &RunSource::refused);
        run.start(test);
        QCOMPARE(refused.size(), grade ? 0 : 1);
        QCOMPARE(started.size(), grade ? 1 : 0);
        if (!grade) {
            QCOMPARE(refused.at(0).at(0).toString(), QStringLiteral("no test test9"));
            return;
        }
        QCOMPARE(run.question().text, QByteArray("q1"));
        for (int digit : digits) {
            if (logKept || changed.size() < 2)
                run.answer(digit);
            else
                QVERIFY_THROWS_EXCEPTION(RuntimeError, run.answer(digit));
        }
        QCOMPARE(changed.size(), 2);
        QCOMPARE(ended.size(), finished);
        QCOMPARE(run.grade(), grade);
        QCOMPARE(session.scores()[1], quint8(grade));
        QList<int> wrong;
        for (const TestRun::Mistake &m : run.mistakes())
            wrong.append(m.number);
        QCOMPARE(wrong, mistakes);
        QCOMPARE(run.end().logLine, store.log.value(0));
        QCOMPARE(run.end().passed.size(), finished && grade >= 3 ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_LocalRun)
#include "tst_localrun.moc"
