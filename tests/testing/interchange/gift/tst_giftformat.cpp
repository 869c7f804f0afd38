// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankFormat.h"
#include "BankSummary.h"
#include "GiftFormat.h"

#include <QTest>

class TestGiftFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsTheBank_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("losses");
        QTest::newRow("answers on lines of their own, feedback")
            << 0
            << "строка 4 «Маска» | Какая маска у сети /24? | *255.255.255.0 / 255.255.0.0 / "
               "255.0.0.0"
            << "отзывы к ответам не переносятся";
        QTest::newRow("escapes")
            << 1
            << "строка 10 «Экранирование» | Что означают знаки ~, =, #, {, } и : в тексте? | "
               "*Обычные символы / Команды: ничего / Ошибку"
            << "";
        QTest::newRow("true") << 2
                              << "строка 13 «TF1» | Протокол TCP устанавливает соединение. | "
                                 "*Верно / Неверно"
                              << "";
        QTest::newRow("false") << 3
                               << "строка 15 «TF2» | Протокол UDP гарантирует доставку. | Верно / "
                                  "*Неверно"
                               << "";
        QTest::newRow("missing word")
            << 4
            << "строка 17 «Пропуск» | Протокол _____ устанавливает соединение. | UDP / *TCP / ICMP"
            << "";
        QTest::newRow("markup, references, a line break and an image")
            << 5
            << "строка 19 «HTML» | Что такое DNS — служба имён? | *Служба доменных имён / Служба "
               "печати"
            << "изображения и другие вставки удалены";
        QTest::newRow("six answers are read, the source refuses them")
            << 6 << "строка 24 «Шесть» | Шесть ответов | *1 / 2 / 3 / 4 / 5 / 6"
            << "";
        QTest::newRow("no right answer")
            << 7 << "строка 26 «Нет» | пропущен: нет правильного ответа"
            << "";
        QTest::newRow("two right answers")
            << 8 << "строка 28 «Два» | пропущен: несколько правильных ответов (2)"
            << "";
        QTest::newRow("weights")
            << 9 << "строка 30 «Частично» | пропущен: ответы с частичными баллами не переносятся"
            << "";
        QTest::newRow("short answer")
            << 10 << "строка 32 «Кратко» | пропущен: вопрос с кратким ответом не переносится"
            << "";
        QTest::newRow("matching")
            << 11 << "строка 34 «Соответствие» | пропущен: вопрос на соответствие не переносится"
            << "";
        QTest::newRow("numerical")
            << 12 << "строка 36 «Число» | пропущен: числовой вопрос не переносится"
            << "";
        QTest::newRow("essay")
            << 13
            << "строка 38 «Эссе» | пропущен: эссе (вопрос без вариантов ответа) не переносится"
            << "";
        QTest::newRow("description")
            << 14 << "строка 40 | пропущен: описание (текст без ответов) не переносится"
            << "";
        QTest::newRow("unclosed brace takes only its own question")
            << 15 << "строка 42 «Открыта» | пропущен: фигурная скобка из строки 42 не закрыта"
            << "";
        QTest::newRow("after the broken one")
            << 16
            << "строка 46 «Последний» | Последний вопрос ₽ | "
               "*a / b"
            << "";
    }

    void readsTheBank()
    {
        QFETCH(int, index);
        QFETCH(QString, summary);
        QFETCH(QString, losses);
        const QuestionBank bank =
            BankFormat::read(BankFormat::Format::Gift, bankFile(QStringLiteral("gift/bank.gift")));
        QCOMPARE(bank.questions.size(), 17);
        QCOMPARE(bank.notes, QStringList{QStringLiteral(
                                 "строка 2: категория «$course$/Сети/Адресация» не переносится")});
        QCOMPARE(bankSummary(bank.questions[index]), summary);
        QCOMPARE(bank.questions[index].losses.join(QStringLiteral("; ")), losses);
    }

    void brokenInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("summary");
        QTest::newRow("unclosed title") << "::T Q {=a ~b}"
                                        << "строка 1 | пропущен: название вопроса «::» не закрыто";
        QTest::newRow("brace opened twice")
            << "Q {=a ~b\n{=c ~d}"
            << "строка 1 | пропущен: фигурная скобка из строки 1 не закрыта до следующей «{»";
        QTest::newRow("two answer blocks")
            << "Q {=a ~b} and {=c ~d}"
            << "строка 1 | пропущен: несколько блоков ответов в одном вопросе не переносятся";
        QTest::newRow("text before the first answer")
            << "Q {a =b ~c}"
            << "строка 1 | пропущен: ответы в фигурных скобках не начинаются с «=» или «~»";
        QTest::newRow("escaped braces only")
            << "Q \\{=a ~b\\}"
            << "строка 1 | пропущен: описание (текст без ответов) не переносится";
        QTest::newRow("comment inside a question")
            << "::T::\n// c\nQ {\n// d\n=a\n~b"
            << "строка 1 «T» | пропущен: фигурная скобка из строки 3 не закрыта";
        QTest::newRow("brace opened on a later line")
            << "// c\n\n::T::\nQ\n{\n=a\n~b"
            << "строка 3 «T» | пропущен: фигурная скобка из строки 5 не закрыта";
        QTest::newRow("full weight is right, nil weight wrong")
            << "Q {~%100%a ~%0%b =c}"
            << "строка 1 | пропущен: несколько правильных ответов (2)";
        QTest::newRow("general feedback") << "Q {=a ~b ####молодец}"
                                          << "строка 1 | Q | *a / b";
        QTest::newRow("plain format keeps markup") << "[plain]<b>Q</b> {=<i>a</i> ~b}"
                                                   << "строка 1 | <b>Q</b> | *<i>a</i> / b";
    }

    void brokenInput()
    {
        QFETCH(QString, text);
        QFETCH(QString, summary);
        const QuestionBank bank = GiftFormat::read(text);
        QCOMPARE(bank.questions.size(), 1);
        QCOMPARE(bankSummary(bank.questions[0]), summary);
    }

    void writesWhatItReads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("right");
        QTest::newRow("plain") << "Да или нет?" << QStringList{"Да", "Нет"} << 1;
        QTest::newRow("every special")
            << "a~b=c#d{e}f:g::h" << QStringList{"=x", "~y", "#z", "{}", "::t::", "->"} << 4;
        QTest::newRow("comment and format look-alikes")
            << "// не комментарий" << QStringList{"[html]<b>", "$CATEGORY: x", "T"} << 0;
        QTest::newRow("markup stays text") << "<b>&amp;</b>" << QStringList{"&lt;", "<br>"} << 1;
    }

    void writesWhatItReads()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answers);
        QFETCH(int, right);
        QList<BankQuestion> out{{QStringLiteral("вопрос 1"), text, answers, right, {}, {}}};
        const QByteArray written = GiftFormat::write(out);
        QVERIFY(out[0].losses.isEmpty());
        const QuestionBank back = BankFormat::read(BankFormat::Format::Gift, written);
        QCOMPARE(back.questions.size(), 1);
        QCOMPARE(back.questions[0].skip, QString());
        QCOMPARE(back.questions[0].text, text);
        QCOMPARE(back.questions[0].answers, answers);
        QCOMPARE(back.questions[0].right, right);
    }

    void backslashBeforeASpecialIsALoss()
    {
        QList<BankQuestion> out{{QStringLiteral("вопрос 1"),
                                 QStringLiteral("C:\\new"),
                                 {QStringLiteral("a"), QStringLiteral("b")},
                                 0,
                                 {},
                                 {}}};
        GiftFormat::write(out);
        QCOMPARE(out[0].losses.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestGiftFormat)
#include "tst_giftformat.moc"
