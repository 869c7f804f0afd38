// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionDump.h"
#include "QuestionSource.h"
#include "SourceExport.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "TestConverter.h"
#include "TestFile.h"

#include <QDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray Original = "\\original.ini";
const QByteArray Again = "\\again.ini";

void writeQuestion(int k, const QList<QByteArray> &values)
{
    const char *keys[] = {"q", "a1", "a2", "a3", "a4", "a5", "ap"};
    for (int i = 0; i < values.size(); ++i)
        Store::write(QByteArray::number(k), keys[i], values[i], Original);
}

} // namespace

class TestSourceExport : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempWorkDir> m_dir;

    QByteArray roundTrip()
    {
        const SourceExport::Result result =
            SourceExport::build(TestFile::atRelativeName(Original), SourceExport::Mode::Conversion);
        if (!result.problems.isEmpty())
            return "problems: " + result.problems.join(QLatin1Char('|')).toUtf8();
        const QByteArray text = SourceExport::join(result.lines);
        TestConverter fresh;
        fresh.convertLines(QuestionSource::split(text), Again);
        return text;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_dir->isCurrent());
    }

    void cleanup() { m_dir.reset(); }

    void convertedSourceComesBack_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::newRow("two questions")
            << QByteArray("Q1\nA) a\nB) b*\nC) c\nD) d\nE) e\nQ2\nE) e*\nD) d\nC) c\nB) b\nA) a\n"
                          "Closing\n");
        QTest::newRow("carried answers and marks")
            << QByteArray("Q1\nA) a\nB) b*\nC) c\nD) d\nE) e\nQ2\nA) other\nQ3\nC) c3*\nEnd\n");
        QTest::newRow("question line with a mark")
            << QByteArray("C++ is*\nA) a\nB) b\nC) c\nD) d*\nE) e\nA*\nA) x*\nEnd\n");
        QTest::newRow("mark-looking texts")
            << QByteArray("Is 2*3 six?\nA) 2*3 \nB) **\nC) *\nD) x*\nE)\nEnd*\n");
        QTest::newRow("Cyrillic") << CodePage::fromUnicode(
            QStringLiteral("Что это?\nA) Да\nB) Нет*\nC) Не знаю\n"
                           "D) Может быть\nE) Всё сразу\nКонец\n"));
        QTest::newRow("one question line") << QByteArray("Only\n");
        QTest::newRow("no question line") << QByteArray("A) a*\n");
    }

    void convertedSourceComesBack()
    {
        QFETCH(QByteArray, source);
        TestConverter converter;
        converter.convertLines(QuestionSource::split(source), Original);
        const QByteArray text = roundTrip();
        QVERIFY2(!text.startsWith("problems: "), text.constData());
        QCOMPARE(QuestionDump::asked(Again), QuestionDump::asked(Original));
    }

    void rightAnswerWithoutTrailingBlank()
    {
        writeQuestion(1, {"Q", "A) a", "B) right", "C) c", "D) d", "E) e", "2"});
        writeQuestion(2, {"Last", "A) x", "B) y", "C) z", "D) w", "E) v", "1"});
        Store::write("inf", "vsego", "1", Original);
        const QByteArray text = roundTrip();
        QVERIFY2(text.contains("B)*\r\nB) right\r\n"), text.constData());
        QCOMPARE(QuestionDump::asked(Again), QuestionDump::asked(Original));
        QCOMPARE(TestFile::atRelativeName(Again).question(2), QByteArray("Last"));
    }

    void closingLine_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("closing");
        QTest::newRow("stored closing line") << QByteArray("The end") << QByteArray("The end");
        QTest::newRow("missing") << QByteArray()
                                 << CodePage::fromUnicode(QStringLiteral("Конец теста"));
        QTest::newRow("reads as an answer")
            << QByteArray("A) x") << CodePage::fromUnicode(QStringLiteral("Конец теста"));
        QTest::newRow("separator")
            << QByteArray("********") << CodePage::fromUnicode(QStringLiteral("Конец теста"));
    }

    void closingLine()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, closing);
        writeQuestion(1, {"Q", "A) a", "B) b", "C) c ", "D) d", "E) e", "3"});
        if (!stored.isEmpty())
            Store::write("2", "q", stored, Original);
        Store::write("inf", "vsego", "1", Original);
        const SourceExport::Result result =
            SourceExport::build(TestFile::atRelativeName(Original), SourceExport::Mode::Conversion);
        QVERIFY(result.problems.isEmpty());
        QCOMPARE(result.lines.last(), closing);
        QCOMPARE(result.lines.mid(0, 7),
                 (QList<QByteArray>{"Q", "A) a", "B) b", "C) c*", "D) d", "E) e", "********"}));
    }

    void readingModeMarksWithoutExtraLines()
    {
        writeQuestion(1, {"Q", "A) a", "B) right", "C) c", "D) d", "E) e", "2"});
        Store::write("inf", "vsego", "1", Original);
        const SourceExport::Result result =
            SourceExport::build(TestFile::atRelativeName(Original), SourceExport::Mode::Reading);
        QVERIFY(result.problems.isEmpty());
        QCOMPARE(result.lines,
                 (QList<QByteArray>{"Q", "A) a", "B) right*", "C) c", "D) d", "E) e", "********"}));
    }

    void valuesNoSourceGives_data()
    {
        QTest::addColumn<QList<QByteArray>>("values");
        QTest::addColumn<QString>("problem");
        QTest::newRow("right answer not a digit")
            << QList<QByteArray>{"Q", "A) a", "B) b", "C) c", "D) d", "E) e", "6"}
            << QStringLiteral("вопрос 1: правильный ответ «6» не цифра от 1 до 5");
        QTest::newRow("two digits")
            << QList<QByteArray>{"Q", "A) a", "B) b", "C) c", "D) d", "E) e", "12"}
            << QStringLiteral("вопрос 1: правильный ответ «12» не цифра от 1 до 5");
        QTest::newRow("answer without its prefix")
            << QList<QByteArray>{"Q", "A) a", "b", "C) c", "D) d", "E) e", "1"}
            << QStringLiteral("вопрос 1: ответ «b» не читается как ответ B)");
        QTest::newRow("answer under another letter")
            << QList<QByteArray>{"Q", "A) a", "C) b", "C) c", "D) d", "E) e", "1"}
            << QStringLiteral("вопрос 1: ответ «C) b» не читается как ответ B)");
        QTest::newRow("answer ending in an asterisk")
            << QList<QByteArray>{"Q", "A) a*", "B) b", "C) c", "D) d", "E) e", "2"}
            << QStringLiteral("вопрос 1: ответ «A) a*» оканчивается звёздочкой");
        QTest::newRow("question reads as an answer")
            << QList<QByteArray>{"E) q", "A) a", "B) b", "C) c", "D) d", "E) e", "1"}
            << QStringLiteral("вопрос 1: текст «E) q» не читается как строка вопроса");
        QTest::newRow("empty question")
            << QList<QByteArray>{"", "A) a", "B) b", "C) c", "D) d", "E) e", "1"}
            << QStringLiteral("вопрос 1: текст «» не читается как строка вопроса");
        QTest::newRow("missing question")
            << QList<QByteArray>{}
            << QStringLiteral("вопрос 1: текст «%1» не читается как строка "
                              "вопроса")
                   .arg(QString::fromLatin1(Store::missing()));
    }

    void valuesNoSourceGives()
    {
        QFETCH(QList<QByteArray>, values);
        QFETCH(QString, problem);
        writeQuestion(1, values);
        Store::write("inf", "vsego", "1", Original);
        const SourceExport::Result result =
            SourceExport::build(TestFile::atRelativeName(Original), SourceExport::Mode::Conversion);
        QVERIFY2(result.problems.contains(problem), qPrintable(result.problems.join('|')));
    }
};

QTEST_GUILESS_MAIN(TestSourceExport)
#include "tst_sourceexport.moc"
