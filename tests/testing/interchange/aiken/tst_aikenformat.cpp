// SPDX-License-Identifier: GPL-3.0-or-later
#include "AikenFormat.h"
#include "BankFormat.h"
#include "BankSummary.h"
#include "BankText.h"

#include <QTest>

class TestAikenFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsTheBank_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("losses");
        QTest::newRow("period after the letter")
            << 0 << "строка 1 | Какой порт по умолчанию у HTTP? | 21 / *80 / 443 / 25"
            << "";
        QTest::newRow("question over two lines")
            << 1
            << "строка 8 | Что делает команда ping при проверке связи? | Копирует файлы / "
               "*Отправляет эхо-запросы ICMP / Форматирует диск / Перезагружает маршрутизатор / "
               "Ничего"
            << "";
        QTest::newRow("six answers are read, the source refuses them")
            << 2 << "строка 17 | Сколько здесь ответов? | *один / два / три / четыре / пять / шесть"
            << "";
        QTest::newRow("no ANSWER line before the next question")
            << 3 << "строка 26 | пропущен: нет строки ANSWER: с правильным ответом"
            << "";
        QTest::newRow("the next question itself")
            << 4 << "строка 29 | Следующий вопрос начинается сразу: 2 ≠ 3? | *Верно / Неверно"
            << "";
        QTest::newRow("two letters")
            << 5 << "строка 34 | пропущен: несколько правильных ответов: A, C"
            << "";
        QTest::newRow("letter not among the answers")
            << 6 << "строка 40 | пропущен: правильного ответа F нет среди ответов"
            << "";
        QTest::newRow("question line shaped like an answer")
            << 7 << "строка 45 | B) Этот вопрос начинается как ответ | x* / *y"
            << "";
        QTest::newRow("repeated letter") << 8 << "строка 50 | пропущен: буква ответа A повторяется"
                                         << "";
    }

    void readsTheBank()
    {
        QFETCH(int, index);
        QFETCH(QString, summary);
        QFETCH(QString, losses);
        const QuestionBank bank =
            BankFormat::read(BankFormat::Format::Aiken, bankFile(QStringLiteral("aiken/bank.txt")));
        QCOMPARE(bank.questions.size(), 9);
        QVERIFY(bank.faults.isEmpty());
        QCOMPARE(bankSummary(bank.questions[index]), summary);
        QCOMPARE(bank.questions[index].losses.join(QStringLiteral("; ")), losses);
    }

    void encodingsAndLineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("summary");
        QTest::newRow("UTF-8 with a byte-order mark, CR LF")
            << bankFile(QStringLiteral("aiken/bom-crlf.txt"))
            << "строка 1 | Вопрос с меткой порядка байтов | *первый / второй";
        QTest::newRow("Windows-1251, CR only")
            << bankFile(QStringLiteral("aiken/cp1251-cr.txt"))
            << "строка 1 | Вопрос в кодировке Windows-1251 | первый / *второй";
        QTest::newRow("ASCII, LF, no last line end")
            << QByteArray("\n\nWhich?\nA) one\nB) two\nANSWER: B")
            << "строка 3 | Which? | one / *two";
    }

    void encodingsAndLineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, summary);
        const QuestionBank bank = BankFormat::read(BankFormat::Format::Aiken, bytes);
        QCOMPARE(bank.questions.size(), 1);
        QCOMPARE(bankSummary(bank.questions[0]), summary);
    }

    void brokenInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("summaries");
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("empty") << "" << QStringList{} << QStringList{};
        QTest::newRow("ANSWER line alone")
            << "\nANSWER: A\n"
            << QStringList{} << QStringList{"строка 2: строка ANSWER: без вопроса"};
        QTest::newRow("question without answers at the end")
            << "Q\nA) a\nB) b\nANSWER: A\nLast words"
            << QStringList{"строка 1 | Q | *a / b",
                           "строка 5 | пропущен: нет ни ответов, ни строки ANSWER:"}
            << QStringList{};
        QTest::newRow("empty ANSWER")
            << "Q\nA) a\nB) b\nANSWER:\n"
            << QStringList{"строка 1 | пропущен: в строке ANSWER: не указан правильный ответ"}
            << QStringList{};
        QTest::newRow("letter without a blank is text")
            << "Q\nA)a\nB) b\nC) c\nANSWER: B\n"
            << QStringList{"строка 1 | Q A)a | *b / c"} << QStringList{};
    }

    void brokenInput()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, summaries);
        QFETCH(QStringList, faults);
        const QuestionBank bank = AikenFormat::read(text);
        QStringList got;
        for (const BankQuestion &q : bank.questions)
            got.append(bankSummary(q));
        QCOMPARE(got, summaries);
        QCOMPARE(bank.faults, faults);
    }

    void writesWhatItReads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("right");
        QTest::newRow("two answers") << "Да или нет?" << QStringList{"Да", "Нет"} << 1;
        QTest::newRow("five answers, marks in texts")
            << "Сколько будет 2*2?" << QStringList{"3", "4*", "A) 5", "ANSWER: B", "22"} << 0;
    }

    void writesWhatItReads()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answers);
        QFETCH(int, right);
        QList<BankQuestion> out{{QStringLiteral("вопрос 1"), text, answers, right, {}, {}}};
        const QByteArray written = AikenFormat::write(out);
        QVERIFY(!out[0].skipped());
        const QuestionBank back = BankFormat::read(BankFormat::Format::Aiken, written);
        QCOMPARE(back.questions.size(), 1);
        QCOMPARE(back.questions[0].text, text);
        QCOMPARE(back.questions[0].answers, answers);
        QCOMPARE(back.questions[0].right, right);
    }

    void writeLeavesOutWhatItCannotSay_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("text shaped like an answer") << "B) Не ответ";
        QTest::newRow("text shaped like an answer with a period") << "Z. Не ответ";
        QTest::newRow("text beginning as the answer line") << "ANSWER: A";
    }

    void writeLeavesOutWhatItCannotSay()
    {
        QFETCH(QString, text);
        QList<BankQuestion> out{{QStringLiteral("вопрос 1"),
                                 text,
                                 {QStringLiteral("a"), QStringLiteral("b")},
                                 0,
                                 {},
                                 {}},
                                {QStringLiteral("вопрос 2"),
                                 QStringLiteral("Q"),
                                 {QStringLiteral("c"), QStringLiteral("d")},
                                 1,
                                 {},
                                 {}}};
        const QByteArray written = AikenFormat::write(out);
        QVERIFY(out[0].skipped());
        QVERIFY(!out[1].skipped());
        QCOMPARE(written, QByteArray("Q\nA) c\nB) d\nANSWER: B\n\n"));
    }
};

QTEST_GUILESS_MAIN(TestAikenFormat)
#include "tst_aikenformat.moc"
