// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankSummary.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "TestBank.h"
#include "TestFile.h"

#include <QTest>

namespace {

const QByteArray Name = "\\t.ini";

// One question section; the values in the order q, a1 … a5, ap. "-" leaves a
// key out.
void writeQuestion(int k, const QList<QByteArray> &values)
{
    const char *keys[] = {"q", "a1", "a2", "a3", "a4", "a5", "ap"};
    for (int i = 0; i < values.size(); ++i) {
        if (values[i] != "-")
            Store::write(QByteArray::number(k), keys[i], values[i], Name);
    }
}

} // namespace

class TestTestBank : public QObject
{
    Q_OBJECT

private slots:
    void readsAQuestion_data()
    {
        QTest::addColumn<QList<QByteArray>>("values");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("losses");
        QTest::newRow("converted question")
            << QList<QByteArray>{CodePage::fromUnicode(QStringLiteral("Что?")),
                                 "A) a",
                                 "B) b ",
                                 "C) c",
                                 "D) d",
                                 "E) e",
                                 "2"}
            << "вопрос 1 | Что? | a / *b / c / d / e" << 0;
        QTest::newRow("right answer without the blank of its mark")
            << QList<QByteArray>{"Q", "A) a", "B) b", "C) c", "D) d", "E) e", "5"}
            << "вопрос 1 | Q | a / b / c / d / *e" << 1;
        QTest::newRow("bare letters are no answers")
            << QList<QByteArray>{"Q", "A) yes ", "B) no", "C)", "D)", "E)", "1"}
            << "вопрос 1 | Q | *yes / no" << 0;
        QTest::newRow("a gap moves later answers up")
            << QList<QByteArray>{"Q", "A) a ", "B)", "C) c", "D)", "E)", "1"}
            << "вопрос 1 | Q | *a / c" << 1;
        QTest::newRow("missing answer")
            << QList<QByteArray>{"Q", "A) a ", "B) b", "C) c", "D) d", "-", "1"}
            << "вопрос 1 | Q | *a / b / c / d" << 1;
        QTest::newRow("answer without its prefix")
            << QList<QByteArray>{"Q", "A) a ", "B) b", "x", "D) d", "E) e", "1"}
            << "вопрос 1 | Q | *a / b / x / d / e" << 1;
        QTest::newRow("prefix without its blank comes back with one")
            << QList<QByteArray>{"Q", "A)a ", "B) b", "C) c", "D) d", "E) e", "1"}
            << "вопрос 1 | Q | *a / b / c / d / e" << 1;
        QTest::newRow("blanks that import would take away")
            << QList<QByteArray>{"Q  two", "A)  a ", "B) b ", "C) c", "D) d", "E) e\t", "2"}
            << "вопрос 1 | Q  two |  a  / *b / c / d / e\t" << 3;
        QTest::newRow("right answer not a digit")
            << QList<QByteArray>{"Q", "A) a", "B) b", "C) c", "D) d", "E) e", "6"}
            << "вопрос 1 | пропущен: правильный ответ «6» не цифра от 1 до 5" << 0;
        QTest::newRow("right answer empty")
            << QList<QByteArray>{"Q", "A) a", "B) ", "C) c", "D) d", "E) e", "2"}
            << "вопрос 1 | пропущен: правильный ответ B пуст" << 0;
        QTest::newRow("one answer") << QList<QByteArray>{"Q", "A) a ", "B)", "C)", "D)", "E)", "1"}
                                    << "вопрос 1 | пропущен: меньше двух ответов" << 0;
        QTest::newRow("no question text")
            << QList<QByteArray>{"-", "A) a ", "B) b", "C) c", "D) d", "E) e", "1"}
            << "вопрос 1 | пропущен: в тесте нет текста вопроса" << 0;
    }

    void readsAQuestion()
    {
        QFETCH(QList<QByteArray>, values);
        QFETCH(QString, summary);
        QFETCH(int, losses);
        TempWorkDir dir;
        QVERIFY(dir.isCurrent());
        writeQuestion(1, values);
        Store::write("inf", "vsego", "1", Name);
        const QList<BankQuestion> bank = TestBank::fromTest(TestFile::readWhole(Name));
        QCOMPARE(bank.size(), 1);
        QCOMPARE(bankSummary(bank[0]), summary);
        QCOMPARE(bank[0].losses.size(), losses);
    }

    void questionsOneToCount()
    {
        TempWorkDir dir;
        QVERIFY(dir.isCurrent());
        for (int k = 1; k <= 3; ++k)
            writeQuestion(k, {"Q" + QByteArray::number(k), "A) a ", "B) b", "C)", "D)", "E)", "1"});
        Store::write("inf", "vsego", "2", Name);
        const QList<BankQuestion> bank = TestBank::fromTest(TestFile::readWhole(Name));
        QCOMPARE(bank.size(), 2);
        QCOMPARE(bank[1].place, QStringLiteral("вопрос 2"));
        QCOMPARE(bank[1].text, QStringLiteral("Q2"));

        Store::write("inf", "vsego", "two", Name);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, TestBank::fromTest(TestFile::readWhole(Name)));
    }
};

QTEST_GUILESS_MAIN(TestTestBank)
#include "tst_testbank.moc"
