// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionSource.h"
#include "SourceChecker.h"
#include "SourceWriter.h"
#include "TempWorkDir.h"
#include "TestConverter.h"
#include "TestFile.h"

#include <QTest>

namespace {

QByteArray cp(const QString &text)
{
    return CodePage::fromUnicode(text);
}

BankQuestion question(const QString &text, const QStringList &answers, int right)
{
    return BankQuestion{QStringLiteral("строка 1"), text, answers, right, {}, {}};
}

} // namespace

class TestSourceWriter : public QObject
{
    Q_OBJECT

private slots:
    void writesOneQuestion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("right");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<int>("losses");
        QTest::newRow("five answers")
            << "Что?" << QStringList{"a", "b", "c", "d", "e"} << 2
            << QList<QByteArray>{cp("Что?"), "A) a", "B) b", "C) c*", "D) d", "E) e"} << 0;
        QTest::newRow("two answers get bare letters")
            << "Q" << QStringList{"yes", "no"} << 1
            << QList<QByteArray>{"Q", "A) yes", "B) no*", "C)", "D)", "E)"} << 0;
        QTest::newRow("characters the code page lacks")
            << "2 ≠ 3 😀" << QStringList{"€", "≤"} << 0
            << QList<QByteArray>{"2 ? 3 ?", "A) \x88*", "B) ?", "C)", "D)", "E)"} << 1;
        QTest::newRow("text read as an answer line")
            << "C) Что?" << QStringList{"a", "b"} << 0
            << QList<QByteArray>{cp("Вопрос: C) Что?"), "A) a*", "B) b", "C)", "D)", "E)"} << 1;
        QTest::newRow("text read as the separator")
            << "********" << QStringList{"a", "b"} << 0
            << QList<QByteArray>{cp("Вопрос: ********"), "A) a*", "B) b", "C)", "D)", "E)"} << 1;
        QTest::newRow("asterisk at the end of a wrong answer")
            << "Q" << QStringList{"2*", "3*"} << 1
            << QList<QByteArray>{"Q", "A) 2* ", "B) 3**", "C)", "D)", "E)"} << 1;
        QTest::newRow("Cyrillic look-alike stays a question")
            << "А) кириллица" << QStringList{"a", "b"} << 0
            << QList<QByteArray>{cp("А) кириллица"), "A) a*", "B) b", "C)", "D)", "E)"} << 0;
        QTest::newRow("longer than a read returns")
            << QString(3000, QLatin1Char('x')) << QStringList{"a", "b"} << 0
            << QList<QByteArray>{QByteArray(3000, 'x'), "A) a*", "B) b", "C)", "D)", "E)"} << 1;
    }

    void writesOneQuestion()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answers);
        QFETCH(int, right);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(int, losses);
        QList<BankQuestion> bank{question(text, answers, right)};
        const QByteArray source = SourceWriter::write(bank);
        QVERIFY(!bank[0].skipped());
        QCOMPARE(bank[0].losses.size(), losses);
        lines << "********" << cp("Конец теста");
        QCOMPARE(QuestionSource::split(source), lines);
        QCOMPARE(source.count("\r\n"), lines.size());
        QCOMPARE(source.count('\n'), lines.size());
    }

    void leavesOutWhatATestCannotHold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("right");
        QTest::newRow("six answers") << "Q" << QStringList{"1", "2", "3", "4", "5", "6"} << 0;
        QTest::newRow("one answer") << "Q" << QStringList{"1"} << 0;
        QTest::newRow("no text") << "" << QStringList{"1", "2"} << 0;
        QTest::newRow("no right answer") << "Q" << QStringList{"1", "2"} << -1;
        QTest::newRow("right answer out of range") << "Q" << QStringList{"1", "2"} << 2;
    }

    void leavesOutWhatATestCannotHold()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answers);
        QFETCH(int, right);
        QList<BankQuestion> bank{question(text, answers, right)};
        BankQuestion already = question(QStringLiteral("Q"), {QStringLiteral("a")}, 0);
        already.skip = QStringLiteral("эссе");
        bank.append(already);
        QCOMPARE(SourceWriter::write(bank), cp("Конец теста\r\n"));
        QVERIFY(bank[0].skipped());
        QCOMPARE(bank[1].skip, QStringLiteral("эссе"));
    }

    void testRunShowsOnlyTheQuestionsOwnAnswers()
    {
        TempWorkDir dir;
        QVERIFY(dir.isCurrent());
        QList<BankQuestion> bank{question(QStringLiteral("Первый"), {"a", "b", "c", "d", "e"}, 4),
                                 question(QStringLiteral("Второй"), {"да", "нет"}, 0),
                                 question(QStringLiteral("Третий"), {"x", "y", "z"}, 2)};
        const QByteArray source = SourceWriter::write(bank);
        QVERIFY(SourceChecker::check(source).clean());

        TestConverter converter;
        converter.convertLines(QuestionSource::split(source), "\\t.ini");
        const TestFile file = TestFile::atRelativeName("\\t.ini");
        QCOMPARE(file.count(), 3);
        QCOMPARE(file.answer(1, 5), QByteArray("E) e "));
        QCOMPARE(file.answer(2, 1), cp("A) да "));
        QCOMPARE(file.answer(2, 2), cp("B) нет"));
        for (int i = 3; i <= 5; ++i)
            QCOMPARE(file.answer(2, i), QByteArray(1, char('A' + i - 1)) + ')');
        QCOMPARE(file.rightAnswer(2), QByteArray("1"));
        QCOMPARE(file.answer(3, 4), QByteArray("D)"));
        QCOMPARE(file.rightAnswer(3), QByteArray("3"));
        QCOMPARE(file.question(4), cp("Конец теста"));
    }
};

QTEST_GUILESS_MAIN(TestSourceWriter)
#include "tst_sourcewriter.moc"
