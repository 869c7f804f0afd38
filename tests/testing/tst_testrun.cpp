// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerRecord.h"
#include "CodePage.h"
#include "FolderStore.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "TestFile.h"
#include "TestFileMaker.h"
#include "TestRun.h"

#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray TenDigits = "3243152431";

// A right answer when right is set, otherwise a wrong one.
int answerFor(char digit, bool right)
{
    const int n = digit - '0';
    return right ? n : n % TestRun::AnswerCount + 1;
}

// Answers the questions from the current one on: the first `right` of all
// the digits rightly, the others wrongly. Returns the last step.
TestRun::Step answerRest(TestRun &run, const QByteArray &digits, int right)
{
    TestRun::Step step = TestRun::Step::Ignored;
    for (int k = run.tag(); k <= digits.size(); ++k)
        step = run.answer(answerFor(digits.at(k - 1), k <= right));
    return step;
}

} // namespace

class tst_TestRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gradeOfRun_data();
    void gradeOfRun();
    void questionsFollowTheFile();
    void answersAfterTheEndCountForNothing();
    void nextRunStartsAfresh();
    void answersKeptForTheRecordAndTheReview();
    void refusedStart_data();
    void refusedStart();
    void countTurnsInvalidDuringRun_data();
    void countTurnsInvalidDuringRun();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<FolderStore> m_store;
};

void tst_TestRun::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
    m_store = std::make_unique<FolderStore>(m_dir->path());
}

void tst_TestRun::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void tst_TestRun::gradeOfRun_data()
{
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("grade");

    QTest::newRow("none right") << TenDigits << 0 << 1;
    QTest::newRow("2 of 10, a limit") << TenDigits << 2 << 2;
    QTest::newRow("3 of 10") << TenDigits << 3 << 2;
    QTest::newRow("4 of 10, the pass limit") << TenDigits << 4 << 3;
    QTest::newRow("6 of 10") << TenDigits << 6 << 4;
    QTest::newRow("7 of 10") << TenDigits << 7 << 4;
    QTest::newRow("8 of 10") << TenDigits << 8 << 5;
    QTest::newRow("all right") << TenDigits << 10 << 5;
    QTest::newRow("2 of 3, not rounded") << QByteArray("123") << 2 << 4;
    QTest::newRow("1 of 1") << QByteArray("5") << 1 << 5;
}

void tst_TestRun::gradeOfRun()
{
    QFETCH(QByteArray, digits);
    QFETCH(int, right);
    QFETCH(int, grade);
    TestFileMaker::write("test4", digits);
    TestRun run;
    QVERIFY(run.isOver());
    QCOMPARE(run.start(*m_store, "test4"), QByteArray());
    QCOMPARE(run.testName(), QByteArray("test4"));
    QCOMPARE(run.testNumber(), 4);
    QVERIFY(!run.isOver());
    for (int k = 1; k < digits.size(); ++k) {
        QCOMPARE(run.tag(), k);
        QCOMPARE(run.answer(answerFor(digits.at(k - 1), k <= right)), TestRun::Step::NextQuestion);
    }
    QCOMPARE(answerRest(run, digits, right), TestRun::Step::Finished);
    QVERIFY(run.isOver());
    QCOMPARE(run.rightCount(), right);
    QCOMPARE(run.tag(), int(digits.size()) + 1);
    QCOMPARE(run.grade(), grade);
}

void tst_TestRun::questionsFollowTheFile()
{
    TestFileMaker::write("test2", "12");
    TestRun run;
    QCOMPARE(run.start(*m_store, "test2"), QByteArray());
    TestRun::Question question = run.question();
    QCOMPARE(question.text, CodePage::fromUnicode(u"Вопрос 1"_s));
    QCOMPARE(question.answers[0], QByteArray("A) 1"));
    QCOMPARE(question.answers[4], QByteArray("E) 1"));
    QCOMPARE(question.number, 1);
    QCOMPARE(question.count, 2);
    // Read anew at every question: a change during the run is seen.
    Store::write("2", "q", "changed", "\\data\\tests\\test2.ini");
    QCOMPARE(run.answer(1), TestRun::Step::NextQuestion);
    question = run.question();
    QCOMPARE(question.text, QByteArray("changed"));
    QCOMPARE(question.answers[2], QByteArray("C) 2"));
    QCOMPARE(question.number, 2);
    Store::write("inf", "vsego", "abc", "\\data\\tests\\test2.ini");
    QCOMPARE(run.question().count, 0);
}

void tst_TestRun::answersAfterTheEndCountForNothing()
{
    TestFileMaker::write("test1", "11");
    TestRun run;
    QCOMPARE(run.answer(1), TestRun::Step::Ignored);
    QCOMPARE(run.rightCount(), 0);
    QCOMPARE(run.start(*m_store, "test1"), QByteArray());
    QCOMPARE(run.answer(2), TestRun::Step::NextQuestion);
    QCOMPARE(run.answer(2), TestRun::Step::Finished);
    QCOMPARE(run.grade(), 1);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(run.answer(1), TestRun::Step::Ignored);
    QCOMPARE(run.rightCount(), 0);
    QCOMPARE(run.tag(), 3);
    QCOMPARE(run.grade(), 1);
}

void tst_TestRun::nextRunStartsAfresh()
{
    TestFileMaker::write("test1", TenDigits);
    TestFileMaker::write("test2", "54321");
    TestRun run;
    QCOMPARE(run.start(*m_store, "test1"), QByteArray());
    QCOMPARE(answerRest(run, TenDigits, 10), TestRun::Step::Finished);
    QCOMPARE(run.grade(), 5);
    QCOMPARE(run.start(*m_store, "test2"), QByteArray());
    QCOMPARE(run.tag(), 1);
    QCOMPARE(run.rightCount(), 0);
    QCOMPARE(run.testNumber(), 2);
    QCOMPARE(answerRest(run, "54321", 1), TestRun::Step::Finished);
    QCOMPARE(run.rightCount(), 1);
    QCOMPARE(run.grade(), 2);
}

void tst_TestRun::answersKeptForTheRecordAndTheReview()
{
    TestFileMaker::write("test3", "24135");
    const QByteArray file = TestFile::Folder + "test3.ini";
    // No button gives a right answer of "7".
    Store::write("4", "ap", "7", file);
    const QByteArray atStart = m_dir->read(u"data/tests/test3.ini"_s);
    TestRun run;
    QCOMPARE(run.start(*m_store, "test3"), QByteArray());
    QCOMPARE(run.answer(2), TestRun::Step::NextQuestion);
    QCOMPARE(run.answer(1), TestRun::Step::NextQuestion);
    // A change during the run: the version stays the start's, the review
    // shows what was read when the question was answered.
    Store::write("3", "q", "changed", file);
    QCOMPARE(run.answer(5), TestRun::Step::NextQuestion);
    QCOMPARE(run.answer(3), TestRun::Step::NextQuestion);
    QCOMPARE(run.answer(5), TestRun::Step::Finished);

    QCOMPARE(run.rightCount(), 2);
    QCOMPARE(run.questionCount(), 5);
    QCOMPARE(run.mistakes().size(), 3);
    const QList<int> numbers{2, 3, 4};
    const QList<QByteArray> questions{CodePage::fromUnicode(u"Вопрос 2"_s), "changed",
                                      CodePage::fromUnicode(u"Вопрос 4"_s)};
    const QList<QByteArray> answers{"A) 2", "E) 3", "C) 4"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(run.mistakes()[i].number, numbers[i]);
        QCOMPARE(run.mistakes()[i].question, questions[i]);
        QCOMPARE(run.mistakes()[i].answer, answers[i]);
    }

    const QDateTime when(QDate(2026, 12, 8), QTime(9, 5, 7));
    const ClassStore::FinishedRun record = run.finished("anna", when);
    QCOMPARE(record.user, QByteArray("anna"));
    QCOMPARE(record.when, when);
    QCOMPARE(record.testName, QByteArray("test3"));
    QCOMPARE(record.grade, run.grade());
    QCOMPARE(record.version, AnswerRecord::versionOf(atStart));
    QVERIFY(record.version != AnswerRecord::versionOf(m_dir->read(u"data/tests/test3.ini"_s)));
    QCOMPARE(record.chosen, QByteArray("21535"));
    QCOMPARE(record.right, QByteArray("24105"));

    // The next run keeps nothing of this one.
    QCOMPARE(run.start(*m_store, "test3"), QByteArray());
    QVERIFY(run.mistakes().isEmpty());
    QCOMPARE(run.answer(2), TestRun::Step::NextQuestion);
    QCOMPARE(run.finished("anna", when).chosen, QByteArray("2"));
}

void tst_TestRun::refusedStart_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("count");

    QTest::newRow("no test file") << false << QByteArray();
    QTest::newRow("no count") << true << QByteArray();
    QTest::newRow("count not a number") << true << QByteArray("abc");
    QTest::newRow("count 0") << true << QByteArray("0");
    QTest::newRow("count -1") << true << QByteArray("-1");
    QTest::newRow("count 1.5") << true << QByteArray("1.5");
}

void tst_TestRun::refusedStart()
{
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, count);
    const QByteArray file = TestFile::Folder + "test1.ini";
    if (fileExists) {
        QVERIFY(m_dir->mkpath(u"data/tests"_s));
        Store::writeMany({{"1", "q", "q"}, {"1", "ap", "1"}}, file);
        if (!count.isNull())
            Store::write("inf", "vsego", count, file);
    }
    // A run going on stays as it was.
    TestFileMaker::write("test2", "11");
    TestRun run;
    QCOMPARE(run.start(*m_store, "test2"), QByteArray());
    QCOMPARE(run.answer(1), TestRun::Step::NextQuestion);

    const QByteArray refusal = run.start(*m_store, "test1");
    QVERIFY2(CodePage::toUnicode(refusal).startsWith(u"Тест test1 не может быть начат: "_s),
             refusal.constData());
    QCOMPARE(run.testName(), QByteArray("test2"));
    QCOMPARE(run.tag(), 2);
    QCOMPARE(run.rightCount(), 1);
    QVERIFY(!run.isOver());
}

void tst_TestRun::countTurnsInvalidDuringRun_data()
{
    QTest::addColumn<QByteArray>("count");

    QTest::newRow("0") << QByteArray("0");
    QTest::newRow("-1") << QByteArray("-1");
    QTest::newRow("not a number") << QByteArray("abc");
}

void tst_TestRun::countTurnsInvalidDuringRun()
{
    QFETCH(QByteArray, count);
    TestFileMaker::write("test1", TenDigits);
    TestRun run;
    QCOMPARE(run.start(*m_store, "test1"), QByteArray());
    run.answer(3);
    run.answer(2);
    QCOMPARE(run.tag(), 3);

    Store::write("inf", "vsego", count, "\\data\\tests\\test1.ini");
    try {
        run.answer(4);
        QFAIL("no failure");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().contains(QString::fromLatin1(count)), qPrintable(e.message()));
    }
    // The answer was counted before the count was read.
    QCOMPARE(run.rightCount(), 3);
    QCOMPARE(run.tag(), 4);
    QVERIFY(!run.isOver());

    // Once the count is sound again, the run goes on to its end.
    Store::write("inf", "vsego", "10", "\\data\\tests\\test1.ini");
    QCOMPARE(answerRest(run, TenDigits, 10), TestRun::Step::Finished);
    QCOMPARE(run.rightCount(), 10);
    QCOMPARE(run.grade(), 5);
}

QTEST_GUILESS_MAIN(tst_TestRun)
#include "tst_testrun.moc"
