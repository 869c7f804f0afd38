// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankFormat.h"
#include "BankSummary.h"
#include "CodePage.h"
#include "QuizXmlFormat.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

const QString Question = QStringLiteral(
    "<question type=\"multichoice\"><name><text>Первый</text></name>"
    "<questiontext format=\"html\"><text>Q</text></questiontext>"
    "<answer fraction=\"100\"><text>a</text></answer><answer fraction=\"0\"><text>b</text></answer>"
    "</question>\n");

QString quiz(const QString &inside)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<quiz>\n") + Question + inside +
           QStringLiteral("</quiz>\n");
}

} // namespace

class TestQuizXmlFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsTheBank_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("losses");
        QTest::newRow("markup over two lines, references")
            << 0
            << "вопрос 1 «Маршрут» | Какой протокол динамической маршрутизации «по состоянию "
               "каналов»? | RIP / *OSPF / ARP"
            << "";
        QTest::newRow("true or false in plain text")
            << 1 << "вопрос 2 «Истина» | Адрес 127.0.0.1 <петля>. | *Верно / Неверно"
            << "";
        QTest::newRow("image, embedded file, feedback")
            << 2 << "вопрос 3 «Картинка» | Что на схеме? | *Звезда / Кольцо"
            << "изображения и другие вставки удалены; отзывы к ответам не переносятся; общие "
               "отзывы и подсказки не переносятся";
        QTest::newRow("several answers allowed")
            << 3
            << "вопрос 4 «Флажки» | пропущен: вопрос с несколькими правильными ответами не "
               "переносится"
            << "";
        QTest::newRow("penalty is partial credit")
            << 4 << "вопрос 5 «Частично» | пропущен: ответы с частичными баллами не переносятся"
            << "";
        QTest::newRow("no right answer")
            << 5 << "вопрос 6 «Без правильного» | пропущен: нет правильного ответа"
            << "";
        QTest::newRow("two right answers")
            << 6 << "вопрос 7 «Два правильных» | пропущен: несколько правильных ответов (2)"
            << "";
        QTest::newRow("six answers are read, the source refuses them")
            << 7 << "вопрос 8 «Шесть» | Шесть ответов | *1 / 2 / 3 / 4 / 5 / 6"
            << "";
        QTest::newRow("essay") << 8
                               << "вопрос 9 «Эссе» | пропущен: вопрос типа «essay» не переносится"
                               << "";
        QTest::newRow("matching")
            << 9 << "вопрос 10 «Соответствие» | пропущен: вопрос типа «matching» не переносится"
            << "";
        QTest::newRow("numerical")
            << 10 << "вопрос 11 «Число» | пропущен: вопрос типа «numerical» не переносится"
            << "";
        QTest::newRow("short answer")
            << 11 << "вопрос 12 «Кратко» | пропущен: вопрос типа «shortanswer» не переносится"
            << "";
        QTest::newRow("cloze")
            << 12 << "вопрос 13 «Пропуски» | пропущен: вопрос типа «cloze» не переносится"
            << "";
        QTest::newRow("description")
            << 13 << "вопрос 14 «Описание» | пропущен: вопрос типа «description» не переносится"
            << "";
        QTest::newRow("texts the source must change")
            << 14
            << "вопрос 15 «Звёздочка» | E) Текст как ответ; ответ со звёздочкой | 2*3* / *6 ≠ 7"
            << "";
    }

    void readsTheBank()
    {
        QFETCH(int, index);
        QFETCH(QString, summary);
        QFETCH(QString, losses);
        const QuestionBank bank = BankFormat::read(BankFormat::Format::QuizXml,
                                                   bankFile(QStringLiteral("quizxml/bank.xml")));
        QCOMPARE(bank.questions.size(), 15);
        QVERIFY(bank.faults.isEmpty());
        QCOMPARE(bank.notes,
                 QStringList{QStringLiteral(
                     "строка 3: категория «$course$/Сети/Маршрутизация» не переносится")});
        QCOMPARE(bankSummary(bank.questions[index]), summary);
        QCOMPARE(bank.questions[index].losses.join(QStringLiteral("; ")), losses);
    }

    void declaredEncodingDoesNotMatter()
    {
        const QString text = QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<quiz>\r"
            "<question type=\"truefalse\"><name><text>Кириллица</text></name>"
            "<questiontext><text>Да?</text></questiontext>"
            "<answer fraction=\"0\"><text>true</text></answer>"
            "<answer fraction=\"100\"><text>false</text></answer></question></quiz>");
        for (const QByteArray &bytes : {CodePage::fromUnicode(text), text.toUtf8()}) {
            const QuestionBank bank = BankFormat::read(BankFormat::Format::QuizXml, bytes);
            QCOMPARE(bank.questions.size(), 1);
            QCOMPARE(bankSummary(bank.questions[0]),
                     QStringLiteral("вопрос 1 «Кириллица» | Да? | Верно / *Неверно"));
        }
    }

    void entityDeclarationsAreRefused_data()
    {
        QTest::addColumn<QString>("dtd");
        QString bomb = QStringLiteral("<!ENTITY e0 \"aaaaaaaaaa\">\n");
        for (int i = 1; i < 10; ++i) {
            QString refs;
            for (int r = 0; r < 10; ++r)
                refs += QStringLiteral("&e%1;").arg(i - 1);
            bomb += QStringLiteral("<!ENTITY e%1 \"%2\">\n").arg(i).arg(refs);
        }
        QTest::newRow("billion laughs") << bomb;
        QTest::newRow("one internal entity") << "<!ENTITY x \"x\">\n";
        QTest::newRow("external entity") << "<!ENTITY x SYSTEM \"file:///etc/passwd\">\n";
        QTest::newRow("parameter entity") << "<!ENTITY % p \"x\">\n";
    }

    void entityDeclarationsAreRefused()
    {
        QFETCH(QString, dtd);
        const QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n") + dtd +
                             QStringLiteral("]>\n<quiz>") + Question +
                             QStringLiteral("<question type=\"multichoice\"><name><text>&e9;&x;"
                                            "</text></name></question></quiz>\n");
        QElapsedTimer timer;
        timer.start();
        const QuestionBank bank = QuizXmlFormat::read(text);
        QVERIFY(!bank.refusal.isEmpty());
        QVERIFY2(
            bank.refusal.startsWith(
                QStringLiteral("строка %1:")
                    .arg(text.left(text.indexOf(QLatin1String("]>"))).count(QLatin1Char('\n')) +
                         1)),
            qPrintable(bank.refusal));
        QVERIFY(bank.questions.isEmpty());
        QVERIFY(timer.elapsed() < 5000);
    }

    void documentTypeWithoutEntitiesIsRead()
    {
        const QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n"
                                            "<!ELEMENT quiz ANY>\n]>\n<quiz>") +
                             Question + QStringLiteral("</quiz>");
        const QuestionBank bank = QuizXmlFormat::read(text);
        QVERIFY(bank.refusal.isEmpty());
        QCOMPARE(bank.questions.size(), 1);
    }

    void brokenInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("fault");
        QTest::newRow("deep nesting") << quiz(QStringLiteral("<question type=\"x\">") +
                                              QStringLiteral("<a>").repeated(100000))
                                      << 1 << "строка 4: вложенность элементов глубже 32 уровней";
        QTest::newRow("unclosed element")
            << QStringLiteral("<quiz>\n") + Question +
                   QStringLiteral(
                       "<question type=\"multichoice\">\n<name><text>Второй</text></name>\n"
                       "<questiontext><text>Q</text>\n</question>\n</quiz>\n")
            << 1 << "строка 6, вопрос 2 «Второй»: XML не разобран";
        QTest::newRow("text after the end")
            << quiz(QString()) + QStringLiteral("<quiz/>") << 1 << "строка 5: XML не разобран";
        QTest::newRow("undeclared entity")
            << quiz(QStringLiteral("&nbsp;")) << 1 << "строка 4: XML не разобран";
        QTest::newRow("not XML") << QStringLiteral("Q\nA) a\nANSWER: A\n") << 0
                                 << "строка 1: XML не разобран";
        QTest::newRow("another root") << QStringLiteral("<?xml version=\"1.0\"?>\n<html/>") << 0
                                      << "строка 2: корневой элемент <html>, а не <quiz>";
        QTest::newRow("empty") << QString() << 0 << "строка 1: XML не разобран";
    }

    void brokenInput()
    {
        QFETCH(QString, text);
        QFETCH(int, questions);
        QFETCH(QString, fault);
        const QuestionBank bank = QuizXmlFormat::read(text);
        QCOMPARE(bank.questions.size(), questions);
        QCOMPARE(bank.faults.size(), 1);
        QVERIFY2(bank.faults[0].startsWith(fault), qPrintable(bank.faults[0]));
    }

    void hugeText()
    {
        const QString big(8 * 1024 * 1024, QLatin1Char('x'));
        const QString text =
            quiz(QStringLiteral("<question type=\"multichoice\"><questiontext>"
                                "<text><![CDATA[") +
                 big +
                 QStringLiteral("]]></text></questiontext><answer fraction=\"100\">"
                                "<text>a</text></answer></question>\n"));
        const QuestionBank bank = QuizXmlFormat::read(text);
        QCOMPARE(bank.questions.size(), 2);
        QCOMPARE(bank.questions[1].text.size(), big.size());
    }

    void writesWhatItReads_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("right");
        QTest::newRow("plain") << "Да или нет?" << QStringList{"Да", "Нет"} << 1;
        QTest::newRow("markup characters")
            << "<b>a</b> & \"b\" 'c'" << QStringList{"]]>", "&amp;", "<![CDATA[", "<img>", "x"}
            << 2;
    }

    void writesWhatItReads()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answers);
        QFETCH(int, right);
        QList<BankQuestion> out{{QStringLiteral("вопрос 1"), text, answers, right, {}, {}}};
        const QByteArray written = QuizXmlFormat::write(out);
        const QuestionBank back = BankFormat::read(BankFormat::Format::QuizXml, written);
        QVERIFY(back.faults.isEmpty());
        QCOMPARE(back.questions.size(), 1);
        QCOMPARE(back.questions[0].place, QStringLiteral("вопрос 1 «Вопрос 1»"));
        QCOMPARE(back.questions[0].text, text);
        QCOMPARE(back.questions[0].answers, answers);
        QCOMPARE(back.questions[0].right, right);
        QVERIFY(back.questions[0].losses.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestQuizXmlFormat)
#include "tst_quizxmlformat.moc"
