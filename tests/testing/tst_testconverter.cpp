// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "RuntimeError.h"
#include "SourceLine.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "TestConverter.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

namespace {

const QByteArray Output = QByteArrayLiteral("\\out.ini");

QByteArray value(const QByteArray &section, const QByteArray &key, const QByteArray &file = Output)
{
    return Store::read(section, key, file);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The conversion exactly as the window did it: every line, then seven
// separate writes. The converter must leave the same file.
class ValueByValueConverter
{
public:
    QByteArray slot[8] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"};

    void convert(const QList<QByteArray> &lines, const QByteArray &file)
    {
        int counter = 0;
        for (const QByteArray &line : lines) {
            if (!line.isEmpty()) {
                const QByteArray two = line.left(2);
                if (two.size() == 2 && two[1] == ')' && two[0] >= 'A' && two[0] <= 'E') {
                    QByteArray answer = line;
                    if (answer.endsWith('*'))
                        answer[answer.size() - 1] = ' ';
                    slot[1 + two[0] - 'A'] = answer;
                } else if (line != "********") {
                    slot[0] = line;
                    slot[7] = QByteArray::number(++counter);
                }
                if (line.endsWith('*') && line != "********" && line[0] >= 'A' && line[0] <= 'E')
                    slot[6] = QByteArray(1, char('1' + line[0] - 'A'));
            }
            const char *keys[] = {"q", "a1", "a2", "a3", "a4", "a5", "ap"};
            for (int k = 0; k < 7; ++k)
                Store::write(slot[7], keys[k], slot[k], file);
        }
        Store::write("inf", "vsego", QByteArray::number(counter - 1), file);
    }
};

QList<QByteArray> lines(const char *text)
{
    return QByteArray(text).split('\n');
}

} // namespace

class TestTestConverter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempWorkDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    QString writeSource(const QByteArray &text, const QString &name = QStringLiteral("src.txt"))
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return QString();
        return file.fileName();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_dir->isCurrent());
    }

    void cleanup() { m_dir.reset(); }

    void slotsStartWithTheirNames()
    {
        const TestConverter converter;
        for (int s = 0; s < TestConverter::SlotCount; ++s)
            QCOMPARE(converter.slot(TestConverter::Slot(s)), "Edit" + QByteArray::number(s + 1));
    }

    void outputName()
    {
        QCOMPARE(TestConverter::outputName("Test1"), QByteArray("\\Test1.ini"));
        QCOMPARE(TestConverter::outputName(" a b "), QByteArray("\\ a b .ini"));
    }

    void oneQuestionWithDMarked()
    {
        TestConverter converter;
        const auto result = converter.convert(
            writeSource("Q1?\r\nA) a\r\nB) b\r\nC) c\r\nD) d*\r\nThe end\r\n"), Output);
        QCOMPARE(result.questionLines, 2);
        QCOMPARE(result.count, 1);
        QCOMPARE(value("1", "q"), QByteArray("Q1?"));
        QCOMPARE(value("1", "a1"), QByteArray("A) a"));
        QCOMPARE(value("1", "a4"), QByteArray("D) d "));
        QCOMPARE(value("1", "a5"), QByteArray("Edit6"));
        QCOMPARE(value("1", "ap"), QByteArray("4"));
        QCOMPARE(value("2", "q"), QByteArray("The end"));
        QCOMPARE(value("2", "a4"), QByteArray("D) d "));
        QCOMPARE(value("2", "ap"), QByteArray("4"));
        QCOMPARE(value("inf", "vsego"), QByteArray("1"));
    }

    void fileIsWrittenInOrder()
    {
        TestConverter converter;
        converter.convertLines(lines("Q\nA) a\nB) b*\nC) c\nD) d\nE) e\nEnd"), Output);
        QByteArray expected;
        const QByteArray values[2][7] = {{"Q", "A) a", "B) b ", "C) c", "D) d", "E) e", "2"},
                                         {"End", "A) a", "B) b ", "C) c", "D) d", "E) e", "2"}};
        const char *keys[] = {"q", "a1", "a2", "a3", "a4", "a5", "ap"};
        for (int s = 0; s < 2; ++s) {
            expected += "[" + QByteArray::number(s + 1) + "]\r\n";
            for (int k = 0; k < 7; ++k)
                expected += QByteArray(keys[k]) + "=" + Store::encode(values[s][k]) + "\r\n";
        }
        expected += "[inf]\r\nvsego=" + Store::encode("1") + "\r\n";
        QCOMPARE(fileBytes(path("out.ini")), expected);
    }

    void markedAnswerLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("ap");
        QTest::newRow("A") << QByteArray("A) one*") << QByteArray("a1") << QByteArray("A) one ")
                           << QByteArray("1");
        QTest::newRow("B") << QByteArray("B) two*") << QByteArray("a2") << QByteArray("B) two ")
                           << QByteArray("2");
        QTest::newRow("E, only the last asterisk")
            << QByteArray("E) 2**") << QByteArray("a5") << QByteArray("E) 2* ") << QByteArray("5");
        QTest::newRow("bare prefix")
            << QByteArray("C)*") << QByteArray("a3") << QByteArray("C) ") << QByteArray("3");
        QTest::newRow("unmarked") << QByteArray("D) four") << QByteArray("a4")
                                  << QByteArray("D) four") << QByteArray("Edit7");
        QTest::newRow("asterisk inside") << QByteArray("D) 2*3 ") << QByteArray("a4")
                                         << QByteArray("D) 2*3 ") << QByteArray("Edit7");
    }

    void markedAnswerLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, ap);
        TestConverter converter;
        converter.convertLines({"Question", line, "End"}, Output);
        QCOMPARE(value("1", key), stored);
        QCOMPARE(value("1", "ap"), ap);
    }

    void markedQuestionLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("ap");
        QTest::newRow("C keeps the asterisk, sets 3")
            << QByteArray("C++ is a language*") << QByteArray("3");
        QTest::newRow("A without parenthesis") << QByteArray("A*") << QByteArray("1");
        QTest::newRow("E.") << QByteArray("E. text*") << QByteArray("5");
        QTest::newRow("other first letter") << QByteArray("Which is it?*") << QByteArray("Edit7");
        QTest::newRow("Cyrillic capital") << QByteArray("\xc0) text*") << QByteArray("Edit7");
        QTest::newRow("small letter") << QByteArray("c) text*") << QByteArray("Edit7");
        QTest::newRow("single asterisk") << QByteArray("*") << QByteArray("Edit7");
        QTest::newRow("nine asterisks") << QByteArray("*********") << QByteArray("Edit7");
    }

    void markedQuestionLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, ap);
        TestConverter converter;
        const auto result = converter.convertLines({line, "End"}, Output);
        QCOMPARE(result.questionLines, 2);
        QCOMPARE(value("1", "q"), line);
        QCOMPARE(value("1", "ap"), ap);
        QCOMPARE(converter.slot(TestConverter::RightAnswerSlot), ap);
    }

    void lineKinds_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("answerA");
        QTest::addColumn<int>("questionLines");
        QTest::newRow("answer A") << QByteArray("A) text") << true << 1;
        QTest::newRow("prefix only") << QByteArray("A)") << true << 1;
        QTest::newRow("eight asterisks") << QByteArray("********") << false << 1;
        QTest::newRow("empty") << QByteArray() << false << 1;
        QTest::newRow("nine asterisks") << QByteArray("*********") << false << 2;
        QTest::newRow("seven asterisks") << QByteArray("*******") << false << 2;
        QTest::newRow("separator with a blank") << QByteArray("******** ") << false << 2;
        QTest::newRow("Cyrillic A") << QByteArray("\xc0) text") << false << 2;
        QTest::newRow("small a") << QByteArray("a) text") << false << 2;
        QTest::newRow("blank first") << QByteArray(" A) text") << false << 2;
        QTest::newRow("full stop") << QByteArray("A. text") << false << 2;
        QTest::newRow("F") << QByteArray("F) text") << false << 2;
        QTest::newRow("one character") << QByteArray("A") << false << 2;
        QTest::newRow("blank only") << QByteArray(" ") << false << 2;
    }

    void lineKinds()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, answerA);
        QFETCH(int, questionLines);
        TestConverter converter;
        const auto result = converter.convertLines({"Question", line}, Output);
        QCOMPARE(result.questionLines, questionLines);
        QCOMPARE(result.count, questionLines - 1);
        QCOMPARE(value("1", "a1"), answerA ? line : QByteArray("Edit2"));
        QCOMPARE(value("1", "q"), QByteArray("Question"));
        QCOMPARE(value(QByteArray::number(questionLines), "q"),
                 questionLines == 2 ? line : QByteArray("Question"));
    }

    void twoMarksKeepTheLater_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QByteArray>("ap");
        QTest::newRow("A then C") << QByteArray("A) a*") << QByteArray("C) c*") << QByteArray("3");
        QTest::newRow("C then A") << QByteArray("C) c*") << QByteArray("A) a*") << QByteArray("1");
    }

    void twoMarksKeepTheLater()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QByteArray, ap);
        TestConverter converter;
        converter.convertLines({"Q", first, "B) b", second, "End"}, Output);
        QCOMPARE(value("1", "ap"), ap);
        QCOMPARE(value("1", "a1"), QByteArray("A) a "));
        QCOMPARE(value("1", "a3"), QByteArray("C) c "));
    }

    void repeatedLetterOverwrites()
    {
        TestConverter converter;
        converter.convertLines({"Q", "B) first", "A) a", "B) second", "End"}, Output);
        QCOMPARE(value("1", "a2"), QByteArray("B) second"));
    }

    void leadingEmptyLineWritesSectionEdit8()
    {
        TestConverter converter;
        converter.convertLines({"", "Q", "A) a*", "End"}, Output);
        for (int s = 0; s < 7; ++s) {
            const QByteArray key = s == 0 ? "q" : s == 6 ? "ap" : "a" + QByteArray::number(s);
            QCOMPARE(value("Edit8", key), "Edit" + QByteArray::number(s + 1));
        }
        QCOMPARE(value("1", "a1"), QByteArray("A) a "));
        QCOMPARE(value("1", "a2"), QByteArray("Edit3"));
    }

    void leadingAnswerLineGoesToSectionEdit8()
    {
        TestConverter converter;
        converter.convertLines({"B) early*", "Q", "A) a", "End"}, Output);
        QCOMPARE(value("Edit8", "q"), QByteArray("Edit1"));
        QCOMPARE(value("Edit8", "a2"), QByteArray("B) early "));
        QCOMPARE(value("Edit8", "ap"), QByteArray("2"));
        QCOMPARE(value("1", "a2"), QByteArray("B) early "));
        QCOMPARE(value("1", "ap"), QByteArray("2"));
    }

    void secondConversionInheritsTheSlots()
    {
        TestConverter converter;
        converter.convertLines(lines("Q1\nA) a1\nB) b1*\nC) c1\nD) d1\nE) e1\nQ2\nA) a2\nB) b2\n"
                                     "C) c2\nD) d2*\nE) e2\nEnd"),
                               "\\first.ini");
        QCOMPARE(converter.slot(TestConverter::NumberSlot), QByteArray("3"));
        QCOMPARE(converter.slot(TestConverter::RightAnswerSlot), QByteArray("4"));

        converter.convertLines({"", "New", "A) new", "End"}, "\\second.ini");
        const QByteArray second = "\\second.ini";
        // The lines before the first question go to the previous run's last number.
        QCOMPARE(value("3", "q", second), QByteArray("End"));
        QCOMPARE(value("3", "a1", second), QByteArray("A) a2"));
        QCOMPARE(value("1", "q", second), QByteArray("New"));
        QCOMPARE(value("1", "a1", second), QByteArray("A) new"));
        QCOMPARE(value("1", "a2", second), QByteArray("B) b2"));
        QCOMPARE(value("1", "a4", second), QByteArray("D) d2 "));
        QCOMPARE(value("1", "a5", second), QByteArray("E) e2"));
        QCOMPARE(value("1", "ap", second), QByteArray("4"));
        QCOMPARE(value("inf", "vsego", second), QByteArray("1"));

        // A fresh converter, as in the next program run, starts over.
        TestConverter fresh;
        fresh.convertLines({"New", "A) new", "End"}, "\\third.ini");
        QCOMPARE(value("1", "a2", "\\third.ini"), QByteArray("Edit3"));
    }

    void elevenQuestionLines()
    {
        QByteArray source;
        for (int n = 1; n <= 11; ++n) {
            source += "Question " + QByteArray::number(n) + "\r\n";
            for (int i = 0; i < 5; ++i) {
                source += SourceLine::answerPrefix(i) + " answer " + QByteArray::number(n);
                source += (i == n % 5 ? "*\r\n" : "\r\n");
            }
            source += "********\r\n";
        }
        QList<int> progress;
        TestConverter converter;
        const auto result = converter.convert(writeSource(source), Output,
                                              [&](int counter) { progress.append(counter); });
        QCOMPARE(result.questionLines, 11);
        QCOMPARE(result.count, 10);
        QCOMPARE(value("inf", "vsego"), QByteArray("10"));
        QCOMPARE(progress.size(), 11 * 7);
        QCOMPARE(progress.first(), 1);
        QCOMPARE(progress.last(), 11);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        for (int n = 1; n <= 11; ++n) {
            const QByteArray s = QByteArray::number(n);
            QCOMPARE(value(s, "q"), "Question " + s);
            QCOMPARE(value(s, "a3"), "C) answer " + s + (n % 5 == 2 ? " " : ""));
            QCOMPARE(value(s, "ap"), QByteArray::number(n % 5 + 1));
        }
        QCOMPARE(value("12", "q"), Store::missing());
    }

    void progressCountsEveryLine()
    {
        QList<int> progress;
        TestConverter converter;
        converter.convertLines({"", "Q", "", "A) a", "********", "End", ""}, Output,
                               [&](int counter) { progress.append(counter); });
        QCOMPARE(progress, (QList<int>{0, 1, 1, 1, 1, 2, 2}));
    }

    void emptySourceWritesOnlyTheCount()
    {
        TestConverter converter;
        const auto result = converter.convert(writeSource(QByteArray()), Output);
        QCOMPARE(result.questionLines, 0);
        QCOMPARE(result.count, -1);
        QCOMPARE(fileBytes(path("out.ini")), "[inf]\r\nvsego=" + Store::encode("-1") + "\r\n");
    }

    void existingFileKeepsOtherSections()
    {
        const QByteArray before = "[other]\r\nkey=" + Store::encode("kept") +
                                  "\r\n[1]\r\nq=" + Store::encode("old question") +
                                  "\r\nextra=" + Store::encode("old extra") +
                                  "\r\n[3]\r\nq=" + Store::encode("old three") +
                                  "\r\n[inf]\r\nvsego=" + Store::encode("7") +
                                  "\r\nnote=" + Store::encode("x") + "\r\n";
        QFile file(path("out.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
        file.close();

        TestConverter converter;
        converter.convertLines({"New", "A) a*", "End"}, Output);
        QCOMPARE(value("other", "key"), QByteArray("kept"));
        QCOMPARE(value("1", "q"), QByteArray("New"));
        QCOMPARE(value("1", "extra"), QByteArray("old extra"));
        QCOMPARE(value("1", "a1"), QByteArray("A) a "));
        QCOMPARE(value("2", "q"), QByteArray("End"));
        QCOMPARE(value("3", "q"), QByteArray("old three"));
        QCOMPARE(value("inf", "vsego"), QByteArray("1"));
        QCOMPARE(value("inf", "note"), QByteArray("x"));
    }

    void sameFileAsWritingValueByValue_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        const QByteArray oneQuestion = "Q\nA) a\nB) b*\nC) c\nD) d\nE) e\n********\nEnd\n";
        QTest::newRow("new file") << QByteArray() << oneQuestion << QByteArray();
        QTest::newRow("leading lines, then a second run")
            << QByteArray() << "\n" + oneQuestion << QByteArray("\nA) x\nQ2\nC) y*\nEnd\n");
        QTest::newRow("second run comes back to the old number")
            << QByteArray() << QByteArray("Q1\nQ2\nQ3\nA) a*\n")
            << QByteArray("B) pre\nN1\nN2\nN3\nN4\nE) e*\n");
        QTest::newRow("existing sections in another order")
            << QByteArray("[inf]\r\nvsego=\"x\"\r\n; comment\r\n[2]\r\nap=\"y\"\r\nq=\"z\"\r\n"
                          "[EDIT8]\r\nzz=\"1\"\r\n[1]\r\n")
            << "\n" + oneQuestion << QByteArray("Again\nA) r*\n");
        QTest::newRow("marks on every kind of line")
            << QByteArray() << QByteArray("A*\nB) *\nC)*\n*\n********\nD\n*********\nE*\n")
            << QByteArray();
    }

    void sameFileAsWritingValueByValue()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        for (const QString &name : {QStringLiteral("one.ini"), QStringLiteral("many.ini")}) {
            if (existing.isEmpty())
                continue;
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(existing);
        }
        TestConverter converter;
        ValueByValueConverter reference;
        for (const QByteArray &text : {first, second}) {
            if (text.isEmpty())
                continue;
            converter.convert(writeSource(text), "\\many.ini");
            reference.convert(QuestionSourceLines(text), "\\one.ini");
            for (int s = 0; s < TestConverter::SlotCount; ++s)
                QCOMPARE(converter.slot(TestConverter::Slot(s)), reference.slot[s]);
        }
        QCOMPARE(fileBytes(path("many.ini")), fileBytes(path("one.ini")));
    }

    void promptAsNameIsTakenAsTyped()
    {
        const QByteArray prompt =
            CodePage::fromUnicode(QStringLiteral("Введите название теста (Test1-Test10)"));
        TestConverter converter;
        converter.convertLines({"Q", "End"}, TestConverter::outputName(prompt));
        QVERIFY(QFile::exists(path(QStringLiteral("Введите название теста (Test1-Test10).ini"))));
    }

    void unreadableSourceWritesNothing()
    {
        TestConverter converter;
        converter.convertLines({"Q", "A) a*", "End"}, "\\before.ini");
        try {
            converter.convert(path(QStringLiteral("missing.txt")), Output);
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), QStringLiteral("File not found"));
        }
        QVERIFY(!QFile::exists(path(QStringLiteral("out.ini"))));
        QCOMPARE(converter.slot(TestConverter::NumberSlot), QByteArray("2"));
    }

    void refusedWriteChangesNeitherFileNorSlots()
    {
        TestConverter converter;
        converter.convertLines({"Q", "A) a*", "End"}, Output);
        const QByteArray before = fileBytes(path("out.ini"));
        try {
            converter.convertLines({"Other", "B) b*", "X", "Y"}, "\\missing folder\\t.ini");
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Unable to write to ")),
                     qPrintable(e.message()));
        }
        QCOMPARE(converter.slot(TestConverter::NumberSlot), QByteArray("2"));
        QCOMPARE(converter.slot(TestConverter::RightAnswerSlot), QByteArray("1"));
        QCOMPARE(converter.slot(TestConverter::QuestionSlot), QByteArray("End"));
        QCOMPARE(fileBytes(path("out.ini")), before);
    }

    void sourceLineEndingsReachTheFile()
    {
        TestConverter converter;
        const auto result = converter.convert(writeSource("Q\rone\r\nA) a\r*\n\x1a"
                                                          "B) lost*\nLost question\n"),
                                              Output);
        QCOMPARE(result.questionLines, 1);
        QCOMPARE(value("1", "q"), QByteArray("Qone"));
        QCOMPARE(value("1", "a1"), QByteArray("A) a "));
        QCOMPARE(value("1", "a2"), QByteArray("Edit3"));
        QCOMPARE(value("1", "ap"), QByteArray("1"));
        QCOMPARE(value("inf", "vsego"), QByteArray("0"));

        TestConverter noFinalBreak;
        const auto last = noFinalBreak.convert(writeSource("Q\nA) a\nEnd"), "\\b.ini");
        QCOMPARE(last.questionLines, 2);
        QCOMPARE(value("2", "q", "\\b.ini"), QByteArray("End"));
    }

    void cyrillicTextIsStoredByteForByte()
    {
        const QByteArray question = CodePage::fromUnicode(QStringLiteral("Что такое «ЭВМ»?"));
        const QByteArray answer = CodePage::fromUnicode(QStringLiteral("B) Электронная машина*"));
        TestConverter converter;
        converter.convertLines({question, answer, CodePage::fromUnicode(QStringLiteral("Конец"))},
                               Output);
        QCOMPARE(value("1", "q"), question);
        QCOMPARE(value("1", "a2"), answer.chopped(1) + ' ');
    }

    void unstorableLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("source");
        QTest::addColumn<QList<int>>("unstorable");
        // 0x1E scrambles to NUL, 0x13 and 0x14 to CR and LF.
        QTest::newRow("every byte kept")
            << QList<QByteArray>{QByteArray("Q\x01\x1f\x7f\xff", 5), "A) \x12\x15*", "End"}
            << QList<int>{};
        QTest::newRow("question line")
            << QList<QByteArray>{"Q\x1e", "A) a*", "End"} << QList<int>{1};
        QTest::newRow("answer lines, one marked")
            << QList<QByteArray>{"Q", "A) \x13", "B) \x14*", "End"} << QList<int>{2, 3};
        QTest::newRow("carried into later questions")
            << QList<QByteArray>{"Q1", "A) \x1e*", "Q2", "Q3", "End"} << QList<int>{2};
        QTest::newRow("replaced before it is written")
            << QList<QByteArray>{"Q", "A) \x1e", "A) a*", "End"} << QList<int>{};
        QTest::newRow("ahead of the first question")
            << QList<QByteArray>{"B) \x14", "Q", "B) b*", "End"} << QList<int>{1};
    }

    void unstorableLines()
    {
        QFETCH(QList<QByteArray>, source);
        QFETCH(QList<int>, unstorable);
        TestConverter converter;
        QCOMPARE(converter.unstorableLines(source), unstorable);
        // The list is what the store refuses: nothing written unless it is empty.
        bool refused = false;
        try {
            converter.convertLines(source, Output);
        } catch (const RuntimeError &e) {
            refused = e.message().startsWith(QStringLiteral("Unable to write to "));
        }
        QCOMPARE(refused, !unstorable.isEmpty());
        QCOMPARE(QFile::exists(path("out.ini")), unstorable.isEmpty());
    }

    void unstorableLinesFollowTheSlots()
    {
        // The line ahead of the first question goes to the section of the
        // previous conversion's last number, which this source writes again.
        const QList<QByteArray> source{"A) \x1e", "N1", "A) a*", "N2"};
        TestConverter converter;
        converter.convertLines({"Q1", "End"}, "\\first.ini");
        QCOMPARE(converter.unstorableLines(source), QList<int>{});
        converter.convertLines(source, Output);
        QCOMPARE(value("2", "a1"), QByteArray("A) a "));
        QCOMPARE(TestConverter().unstorableLines(source), QList<int>{1});
    }

    void unstorableByteAsTheStoreHasIt()
    {
        int refusedBytes = 0;
        for (int b = 0; b < 256; ++b) {
            const QByteArray line = "A) x" + QByteArray(1, char(b));
            bool refused = false;
            try {
                Store::write("1", "a1", line, Output);
            } catch (const RuntimeError &) {
                refused = true;
            }
            QCOMPARE(TestConverter::unstorableByte(line), refused ? 4 : -1);
            refusedBytes += refused;
        }
        QVERIFY(refusedBytes > 0);
    }

    void unstorableTextNamesTheLine()
    {
        const QList<QByteArray> source{"Q", "B) x\x1ey*", "End", "Q2\x13"};
        TestConverter converter;
        const QList<int> unstorable = converter.unstorableLines(source);
        QCOMPARE(unstorable, (QList<int>{2, 4}));
        QCOMPARE(TestConverter::unstorableText(source, unstorable),
                 QStringLiteral("Строка 2 текста вопросов содержит в позиции 5 знак с кодом 30, "
                                "который нельзя сохранить в файле теста. Тест не записан. "
                                "Строк с такими знаками: 2."));
        QCOMPARE(TestConverter::unstorableText(source, {4}),
                 QStringLiteral("Строка 4 текста вопросов содержит в позиции 3 знак с кодом 19, "
                                "который нельзя сохранить в файле теста. Тест не записан."));
    }

    void nameRefusal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Latin") << QStringLiteral("Test3") << false;
        QTest::newRow("Cyrillic, № and Ё") << QStringLiteral("Тест №1 Ёлка") << false;
        QTest::newRow("the prompt")
            << QStringLiteral("Введите название теста (Test1-Test10)") << false;
        QTest::newRow("CJK") << QStringLiteral("测试") << true;
        QTest::newRow("Greek among Latin") << QStringLiteral("Test α") << true;
    }

    void nameRefusal()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        const QString refusal = TestConverter::nameRefusal(name);
        QCOMPARE(refusal.isEmpty(), !refused);
        if (refused)
            QVERIFY2(refusal.startsWith(QStringLiteral("Название теста «") + name + "»"),
                     qPrintable(refusal));
    }

private:
    static QList<QByteArray> QuestionSourceLines(const QByteArray &text)
    {
        QList<QByteArray> out = text.split('\n');
        if (text.endsWith('\n'))
            out.removeLast();
        return out;
    }
};

QTEST_GUILESS_MAIN(TestTestConverter)
#include "tst_testconverter.moc"
