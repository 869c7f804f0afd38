// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassReport.h"
#include "MemoryStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

ClassRecords::User user(const QByteArray &name, const QList<int> &grades)
{
    ClassRecords::User u;
    u.name = name;
    u.hasRecord = true;
    for (qsizetype k = 0; k < grades.size(); ++k) {
        if (grades[k] >= 0)
            u.grades[k] = quint8(grades[k]);
    }
    return u;
}

QByteArray line(const QByteArray &name, int test, int grade, const QByteArray &date)
{
    return name + " | 10:00:00 | " + date + " | test" + QByteArray::number(test) + " | " +
           QByteArray::number(grade) + "\r\n";
}

} // namespace

class tst_ClassReport : public QObject
{
    Q_OBJECT

private slots:
    void reachedIsTheHighestUnlockedTest_data();
    void reachedIsTheHighestUnlockedTest();
    void runsCountedByNameWithoutLetterCase();
    void registrationsGradeIsNoRun();
    void stuckAfterSeveralFailedRuns();
    void testsAreTheCourses_data();
    void testsAreTheCourses();
    void readsTheClassOfAnyStore();
};

void tst_ClassReport::reachedIsTheHighestUnlockedTest_data()
{
    QTest::addColumn<QList<int>>("grades");
    QTest::addColumn<int>("reached");
    QTest::newRow("registered") << QList<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 1;
    QTest::newRow("passed test1") << QList<int>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 2;
    QTest::newRow("passed three") << QList<int>{5, 4, 3, 2, 0, 0, 0, 0, 0, 0} << 4;
    // Each passed test unlocks the next on its own, as login does.
    QTest::newRow("gap") << QList<int>{5, 1, 0, 0, 4, 0, 0, 0, 0, 0} << 6;
    QTest::newRow("all") << QList<int>{5, 5, 5, 5, 5, 5, 5, 5, 5, 5} << 10;
    QTest::newRow("unreadable") << QList<int>{4, -1, 0, 0, 0, 0, 0, 0, 0, 0} << 2;
    QTest::newRow("test9 passed") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 3, 0} << 10;
    // Rows of a course of its own, whose final test waits for all three.
    QTest::newRow("own, two of three") << QList<int>{5, 4, 0, 0} << 3;
    QTest::newRow("own, all three") << QList<int>{5, 4, 3, 0} << 4;
    QTest::newRow("own, gap") << QList<int>{5, 0, 3, 0} << 2;
}

void tst_ClassReport::reachedIsTheHighestUnlockedTest()
{
    QFETCH(QList<int>, grades);
    QFETCH(int, reached);
    ClassRecords records;
    records.users.append(user("anna", grades));
    QFile own(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"));
    const ClassReport report = ClassReport::build(
        records, TestLogReader(), ItemAnalysis(),
        QByteArray(QTest::currentDataTag()).startsWith("own") && own.open(QIODevice::ReadOnly)
            ? CourseStructure::parse(own.readAll())
            : CourseStructure::defaultCourse());
    QCOMPARE(report.rows.first().reached, reached);
}

void tst_ClassReport::runsCountedByNameWithoutLetterCase()
{
    ClassRecords records;
    records.users.append(user("Anna", {4, 2}));
    records.users.append(user("boris", {3}));
    const TestLogReader log =
        TestLogReader::parse(line("anna", 1, 2, "01.12.2026") + line("ANNA", 1, 4, "02.12.2026") +
                             line("Anna", 2, 2, "02.12.2026") + line("gleb", 1, 5, "02.12.2026") +
                             line("Gleb", 2, 5, "05.12.2026") + "broken\r\n");
    const ClassReport report = ClassReport::build(records, log);
    const ClassReport::Row &anna = report.rows[0];
    QCOMPARE(anna.runs[0], 2);
    QCOMPARE(anna.runs[1], 1);
    QCOMPARE(anna.totalRuns, 3);
    QCOMPARE(anna.lastDate, QDate(2026, 12, 2));
    QCOMPARE(report.rows[1].totalRuns, 0);
    QVERIFY(!report.rows[1].lastDate.isValid());
    QCOMPARE(report.strangers.size(), 1);
    QCOMPARE(report.strangers.first().runs, 2);
    QCOMPARE(report.strangers.first().firstLine, 4);
    QCOMPARE(report.runsPerDay.value(QDate(2026, 12, 2)), 3);
    QCOMPARE(report.runsPerDay.size(), 3);
    QCOMPARE(report.logRuns, 5);
    QCOMPARE(report.badLines.size(), 1);

    // Strangers' runs are not the class's.
    QCOMPARE(report.tests.size(), 2);
    const ClassReport::TestSummary &test1 = report.tests[0];
    QCOMPARE(test1.runs, 2);
    QCOMPARE(test1.runners, 1);
    QCOMPARE(test1.takers, 2);
    QCOMPARE(test1.passed, 2);
    QCOMPARE(test1.grades[3], 1);
    QCOMPARE(test1.grades[2], 1);
}

void tst_ClassReport::registrationsGradeIsNoRun()
{
    ClassRecords records;
    records.users.append(user("anna", {1}));
    records.users.append(user("boris", {1}));
    const ClassReport report =
        ClassReport::build(records, TestLogReader::parse(line("boris", 1, 1, "01.12.2026")));
    QVERIFY(!report.rows[0].took(1));
    QVERIFY(report.rows[1].took(1));
    QCOMPARE(report.tests.first().takers, 1);
    QCOMPARE(report.tests.first().grades[0], 1);
}

void tst_ClassReport::stuckAfterSeveralFailedRuns()
{
    ClassRecords records;
    records.users.append(user("once", {4, 2}));
    records.users.append(user("twice", {4, 2}));
    records.users.append(user("passed", {4, 3}));
    QByteArray bytes;
    for (const QByteArray name : {"once", "twice", "twice", "passed", "passed"})
        bytes += line(name, 2, 2, "01.12.2026");
    const ClassReport report = ClassReport::build(records, TestLogReader::parse(bytes));
    QVERIFY(!report.rows[0].stuck());
    QVERIFY(report.rows[1].stuck());
    QVERIFY(!report.rows[2].stuck());
}

// The course's tests with their captions in its order, its tests' questions
// too; a broken course file shows the records' tests by their names.
void tst_ClassReport::testsAreTheCourses_data()
{
    QTest::addColumn<QByteArray>("text");    // the course file; none for the shipped course
    QTest::addColumn<QStringList>("labels"); // the first and the last
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");    // the test whose summary and questions come first
    QTest::addColumn<QString>("mark"); // how a sentence names it
    QTest::newRow("shipped") << QByteArray() << QStringList{"Тест №1", "Тест №10"} << 10 << 1
                             << "1";
    QTest::newRow("own") << QByteArray("[menu]\ntest test2 \"B\"\ntest test1 \"A\" after=test2\n")
                         << QStringList{"B", "A"} << 2 << 2 << "«B»";
    QTest::newRow("broken") << QByteArray("[menu]\ntest exam \"X\"\n")
                            << QStringList{"test1", "test10"} << 10 << 1 << "1";
}

void tst_ClassReport::testsAreTheCourses()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, labels);
    QFETCH(int, count);
    QFETCH(int, first);
    QFETCH(QString, mark);
    QTemporaryDir dir;
    QFile file(dir.filePath(CourseStructure::FileName));
    QVERIFY(text.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(text) > 0));
    file.close();
    ClassRecords records;
    records.users.append(user("anna", {4, 3}));
    ItemAnalysis items;
    for (int test : {1, 2}) {
        items.versions.append(ItemAnalysis::Version());
        items.versions.last().test = test;
    }
    const ClassReport report =
        ClassReport::build(records, TestLogReader(), items, CourseStructure::load(dir.path()));
    QCOMPARE(report.courseTests.size(), count);
    QCOMPARE(QStringList({report.courseTests.first().label, report.courseTests.last().label}),
             labels);
    QCOMPARE(report.tests.first().test, first);
    QCOMPARE(report.items.versions.first().test, first);
    QCOMPARE(report.testMark(first), mark);
    // Only the broken file is named among what could not be read.
    QCOMPARE(report.fileErrors.size(), QTest::currentDataTag() == QByteArray("broken") ? 1 : 0);
}

// The report asks the store, whatever keeps the class: here it is in memory.
void tst_ClassReport::readsTheClassOfAnyStore()
{
    MemoryStore store;
    store.stored = ClassSettings{"admin", "secret", "log"};
    store.addUser("anna", "pw", {"4", "2"});
    store.addUser("boris", "pw", {"x"});
    store.list.append("ghost");
    store.tests.insert("test1", {{"q1", {"A)", "B)", "C)", "D)", "E)"}, "1"}});
    store.readSettings();
    const QDateTime when(QDate(2026, 12, 1), QTime(10, 0));
    store.appendRun({"anna", when, "test1", 4, store.testVersion("test1"), "1", "1"});
    const ClassReport report = ClassReport::read(store);
    QCOMPARE(report.rows.size(), 3);
    QCOMPARE(report.rows[0].runs[0], 1);
    QCOMPARE(report.rows[0].lastDate, when.date());
    QCOMPARE(report.records.withoutRecord, QList<QByteArray>{"ghost"});
    QCOMPARE(report.records.badGrades.size(), 1);
    QCOMPARE(report.logPath, QStringLiteral("memory log"));
    QCOMPARE(report.items.records, 1);
    QVERIFY(report.items.versions.first().current);
    QCOMPARE(report.items.versions.first().questions.first().text, QByteArray("q1"));
    // No file of the class to be written over.
    QVERIFY(!report.isClassFile(QStringLiteral("/tmp")));
}

QTEST_GUILESS_MAIN(tst_ClassReport)
#include "tst_classreport.moc"
