// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionSource.h"
#include "RuntimeError.h"
#include "SourceChecker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Kind = SourceChecker::Kind;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Utf8Text:
        return QStringLiteral("utf8");
    case Kind::ForeignCharacter:
        return QStringLiteral("foreign");
    case Kind::CyrillicLookAlikes:
        return QStringLiteral("look-alikes");
    case Kind::CyrillicAlphabet:
        return QStringLiteral("alphabet");
    case Kind::AmbiguousMarkers:
        return QStringLiteral("ambiguous");
    case Kind::TextAfterEnd:
        return QStringLiteral("after-end");
    case Kind::BeforeFirstQuestion:
        return QStringLiteral("before-first");
    case Kind::LooksLikeAnswer:
        return QStringLiteral("looks-like-answer");
    case Kind::MissingAnswers:
        return QStringLiteral("missing");
    case Kind::RepeatedAnswer:
        return QStringLiteral("repeated");
    case Kind::NoMark:
        return QStringLiteral("no-mark");
    case Kind::SeveralMarks:
        return QStringLiteral("marks");
    case Kind::MarkedQuestion:
        return QStringLiteral("marked-question");
    case Kind::UnaskedLastQuestion:
        return QStringLiteral("unasked");
    case Kind::NoQuestions:
        return QStringLiteral("no-questions");
    case Kind::UnstorableByte:
        return QStringLiteral("unstorable");
    case Kind::CrLineEnds:
        return QStringLiteral("cr-line-ends");
    }
    return QString();
}

// "kind@line", with the letters or the other lines where the finding has them,
// "^column" for a byte, "+n" for the lines that CR alone joins.
QStringList summary(const SourceChecker::Report &report)
{
    QStringList out;
    for (const SourceChecker::Finding &f : report.findings) {
        QString s = kindName(f.kind) + QLatin1Char('@') + QString::number(f.line);
        if (!f.letters.isEmpty())
            s += QLatin1Char(':') + CodePage::toUnicode(f.letters);
        for (const int l : f.otherLines)
            s += QLatin1Char(':') + QString::number(l);
        if (f.column > 0)
            s += QLatin1Char('^') + QString::number(f.column);
        if (f.joinedLines > 0)
            s += QLatin1Char('+') + QString::number(f.joinedLines);
        out.append(s);
    }
    return out;
}

QByteArray cp1251(const char *utf8)
{
    return CodePage::fromUnicode(QString::fromUtf8(utf8));
}

const QByteArray Good = "Q1\r\nA) a\r\nB) b*\r\nC) c\r\nD) d\r\nE) e\r\n********\r\n"
                        "Q2\r\nA) a*\r\nB) b\r\nC) c\r\nD) d\r\nE) e\r\n********\r\nEnd\r\n";

} // namespace

class TestSourceChecker : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("findings");
        QTest::addColumn<int>("closingLine");

        QTest::newRow("well formed") << Good << QStringList{} << 15;
        QTest::newRow("well formed, LF, blank lines and leading separator")
            << QByteArray("********\n\nQ1\nE) e\nD) d*\nC) c\nB) b\nA) a\n\n********\nEnd")
            << QStringList{} << 11;
        QTest::newRow("missing letters")
            << QByteArray("Q1\nA) a*\nC) c\nE) e\nEnd\n") << QStringList{"missing@1:BD"} << 5;
        QTest::newRow("no answers at all")
            << QByteArray("Q1\nQ2\nA) a*\nB) b\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"missing@1:ABCDE", "no-mark@1"} << 8;
        QTest::newRow("no mark") << QByteArray("Q1\nA) a\nB) b\nC) c\nD) d\nE) e\nEnd\n")
                                 << QStringList{"no-mark@1"} << 7;
        QTest::newRow("two marks") << QByteArray("Q1\nA) a*\nB) b\nC) c*\nD) d\nE) e\nEnd\n")
                                   << QStringList{"marks@1:2:4"} << 7;
        QTest::newRow("repeated letter")
            << QByteArray("Q1\nA) a*\nB) b\nB) b2\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"repeated@4:B:3"} << 8;
        QTest::newRow("marked question line with a letter")
            << QByteArray("C++ is*\nA) a\nB) b*\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"marked-question@1", "marks@1:1:3"} << 7;
        QTest::newRow("marked question line alone sets the answer")
            << QByteArray("Compiled?*\nA) a\nB) b\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"marked-question@1"} << 7;
        QTest::newRow("marked question line with another letter")
            << QByteArray("Which?*\nA) a\nB) b\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"marked-question@1", "no-mark@1"} << 7;
        QTest::newRow("answer before the first question")
            << "\r\nB) early\r\n" + Good << QStringList{"before-first@2"} << 17;
        QTest::newRow("answers under the last question")
            << QByteArray("Q1\nA) a*\nB) b\nC) c\nD) d\nE) e\nQ2\nA) a*\nB) b\nC) c\nD) d\nE) e\n")
            << QStringList{"unasked@7"} << 0;
        QTest::newRow("single question line")
            << QByteArray("Only\n") << QStringList{"no-questions@0"} << 1;
        QTest::newRow("nothing") << QByteArray() << QStringList{"no-questions@0"} << 0;
        QTest::newRow("text after Ctrl-Z") << Good + "\x1aQ3\r\nA) lost\r\n"
                                           << QStringList{"after-end@16"} << 15;
        QTest::newRow("Ctrl-Z as end of file only") << Good + "\x1a\r\n" << QStringList{} << 15;
        // The store cannot keep 0x1E in a test file, and so refuses the file.
        QTest::newRow("byte the store cannot hold")
            << QByteArray("Q1\nA) a\x1e*\nB) b\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"unstorable@2^5"} << 7;
        QTest::newRow("byte the store cannot hold, replaced before it is written")
            << QByteArray("Q1\nA) \x1e\nA) a*\nB) b\nC) c\nD) d\nE) e\nEnd\n")
            << QStringList{"repeated@3:A:2"} << 8;
        QTest::newRow("CR-only line ends")
            << QByteArray("Q1\rA) a*\rB) b\rC) c\rD) d\rE) e\rEnd\r")
            << QStringList{"no-questions@0", "cr-line-ends@1+7"} << 1;
        QTest::newRow("one CR-only line end among CR LF")
            << QByteArray("Q1\rA) a\r\nB) b*\r\nC) c\r\nD) d\r\nE) e\r\nEnd\r\n")
            << QStringList{"missing@1:A", "cr-line-ends@1+2"} << 6;
    }

    void check()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, findings);
        QFETCH(int, closingLine);
        const SourceChecker::Report report = SourceChecker::check(text);
        QCOMPARE(summary(report), findings);
        QCOMPARE(report.closingLine, closingLine);
        QCOMPARE(report.clean(), findings.isEmpty());
    }

    void misreadAnswers_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("misread");
        QTest::newRow("Cyrillic Ж") << cp1251("Ж) ж") << true;
        QTest::newRow("Cyrillic small а") << cp1251("а) а") << true;
        QTest::newRow("small b") << QByteArray("b) b") << true;
        QTest::newRow("F") << QByteArray("F) f") << true;
        QTest::newRow("blank before") << QByteArray(" B) b") << true;
        QTest::newRow("tab before") << QByteArray("\tB) b") << true;
        QTest::newRow("full stop") << QByteArray("B. b") << true;
        QTest::newRow("full stop after blank") << QByteArray("  B. b") << true;
        QTest::newRow("ordinary question") << QByteArray("Beta?") << false;
        QTest::newRow("numbered question") << QByteArray("1) What?") << false;
        QTest::newRow("initials") << cp1251("А. С. Пушкин написал") << false;
        QTest::newRow("word before parenthesis") << QByteArray("Ab) x") << false;
    }

    void misreadAnswers()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, misread);
        const QByteArray text = "Q1\nA) a*\n" + line +
                                "\nC) c\nD) d\nE) e\nB) b\n********\nQ2\nA) a*\nB) b\nC) c\n"
                                "D) d\nE) e\nEnd\n";
        const QStringList found = summary(SourceChecker::check(text));
        if (misread) {
            // The misread line takes the answers below it; the question above
            // loses them, and the misread block itself is not judged again.
            QCOMPARE(found, (QStringList{"missing@1:BCDE", "looks-like-answer@3"}));
        } else {
            QCOMPARE(found, (QStringList{"missing@1:BCDE", "missing@3:A", "no-mark@3"}));
        }
    }

    void cyrillicMarkers_data()
    {
        QTest::addColumn<QByteArray>("question"); // Q1's answers, then a clean Q2 and End
        QTest::addColumn<QStringList>("findings");
        QTest::newRow("alphabet order")
            << cp1251("А) a\nБ) b*\nВ) c\nГ) d\nД) e\n") << QStringList{"alphabet@1:АБВГДABCDE"};
        QTest::newRow("look-alikes beside Latin D")
            << cp1251("А) a\nВ) b*\nС) c\nD) d\nЕ) e\n") << QStringList{"look-alikes@1:АВСЕABCE"};
        QTest::newRow("read as look-alikes, a letter repeated")
            << cp1251("A) a\nB) b*\nC) c\nD) d\nЕ) e\nE) e2\n")
            << QStringList{"look-alikes@1:ЕE", "repeated@7:E:6"};
        QTest::newRow("either reading")
            << cp1251("А) a*\nВ) b\n")
            << QStringList{"ambiguous@1:АВ", "missing@1:ABCDE", "no-mark@1", "looks-like-answer@2",
                           "looks-like-answer@3"};
    }

    void cyrillicMarkers()
    {
        QFETCH(QByteArray, question);
        QFETCH(QStringList, findings);
        const QByteArray text = "Q1\n" + question + "Q2\nA) a*\nB) b\nC) c\nD) d\nE) e\nEnd\n";
        const SourceChecker::Report report = SourceChecker::check(text);
        QCOMPARE(summary(report), findings);
        // Only a question left unread stops a conversion.
        QCOMPARE(report.hasErrors(), findings.size() > 1);
    }

    void utf8_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("Windows-1251") << cp1251("Вопрос\nA) да*\n") << false;
        QTest::newRow("UTF-8") << QByteArray("Q\nВопрос\n") << true;
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xef\xbb\xbfQ\n") << true;
        QTest::newRow("plain ASCII") << QByteArray("Q\nA) a*\n") << false;
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << false;
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
        QTest::newRow("cut short") << QByteArray("ok \xd0") << false;
        QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x98\x80") << true;
        QTest::newRow("beyond Unicode") << QByteArray("\xf4\x90\x80\x80") << false;
    }

    void utf8()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, utf8);
        QCOMPARE(QuestionSource::isUtf8(text), utf8);
        const SourceChecker::Report report = SourceChecker::check(text);
        QCOMPARE(report.utf8, utf8);
        QCOMPARE(
            summary(report).contains(QStringLiteral("utf8@%1").arg(text.startsWith('Q') ? 2 : 1)),
            utf8);
    }

    void describesInRussian()
    {
        const QByteArray text = cp1251("Вопрос\nA) да\n") + "End\n";
        const SourceChecker::Report report = SourceChecker::check(text);
        QCOMPARE(report.findings.size(), 2);
        const QString missing = SourceChecker::describe(report.findings[0]);
        QVERIFY2(missing.contains(QStringLiteral("B, C, D, E")), qPrintable(missing));
        QVERIFY2(missing.contains(QStringLiteral("«Вопрос»")), qPrintable(missing));
        const SourceChecker::Report utf8Report = SourceChecker::check(QByteArray("Вопрос\n"));
        const auto utf8Finding =
            std::find_if(utf8Report.findings.begin(), utf8Report.findings.end(),
                         [](const SourceChecker::Finding &f) { return f.kind == Kind::Utf8Text; });
        QVERIFY(utf8Finding != utf8Report.findings.end());
        const QString utf8 = SourceChecker::describe(*utf8Finding);
        QVERIFY2(utf8.contains(QStringLiteral("UTF-8")), qPrintable(utf8));
    }

    void describesWhatTheStoreCannotKeep()
    {
        const SourceChecker::Report unstorable =
            SourceChecker::check("Q\x14?\nA) a*\nB) b\nC) c\nD) d\nE) e\nEnd\n");
        QCOMPARE(unstorable.findings.size(), 1);
        QCOMPARE(SourceChecker::entry(unstorable.findings[0]),
                 QStringLiteral("строка 1: знак с кодом 20 в позиции 2 нельзя сохранить в файле "
                                "теста: тест не будет записан, пока строка его содержит: "
                                "«Q\x14?»"));
        const SourceChecker::Report cr = SourceChecker::check(cp1251("Вопрос\rA) да*\rКонец"));
        QCOMPARE(SourceChecker::entry(cr.findings.last()),
                 QStringLiteral("строка 1: строки разделены только знаком CR, без LF, и будут "
                                "прочитаны как одна строка (склеено строк: 3), начиная с "
                                "«Вопрос»"));
    }

    void digest_data()
    {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("more");
        QTest::newRow("clean") << 0 << 0 << 0;
        QTest::newRow("one") << 1 << 1 << 0;
        QTest::newRow("ten") << 10 << 10 << 0;
        QTest::newRow("twelve") << 12 << 10 << 2;
    }

    void digest()
    {
        // Questions without a mark under a long question line, then a good one.
        QFETCH(int, questions);
        QFETCH(int, listed);
        QFETCH(int, more);
        const QByteArray longLine = "Q" + QByteArray(300, 'x');
        QByteArray text;
        for (int k = 0; k < questions; ++k)
            text += longLine + "\nA) a\nB) b\nC) c\nD) d\nE) e\n";
        text += Good;
        const SourceChecker::Report report = SourceChecker::check(text);
        QCOMPARE(report.findings.size(), qsizetype(questions));
        const QStringList rows = SourceChecker::digest(report, 10).split(QLatin1Char('\n'));
        if (questions == 0) {
            QCOMPARE(rows, QStringList{QString()});
            return;
        }
        QCOMPARE(rows.first(), QStringLiteral("Замечания к тексту вопросов:"));
        QCOMPARE(rows.size(), 1 + listed + (more > 0 ? 1 : 0));
        for (int i = 0; i < listed; ++i) {
            const QString &row = rows[1 + i];
            QVERIFY2(
                row.startsWith(QStringLiteral("строка %1: у вопроса не отмечен").arg(i * 6 + 1)),
                qPrintable(row));
            // The line is quoted up to 80 characters.
            QVERIFY2(row.endsWith(QStringLiteral("«Q") + QString(79, QLatin1Char('x')) +
                                  QStringLiteral("…»")),
                     qPrintable(row));
        }
        if (more > 0)
            QCOMPARE(rows.last(), QStringLiteral("Ещё замечаний: %1.").arg(more));
    }

    void checksFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("s.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Good);
        file.close();
        QVERIFY(SourceChecker::checkFile(file.fileName()).clean());
        try {
            SourceChecker::checkFile(dir.filePath(QStringLiteral("none.txt")));
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), QStringLiteral("File not found"));
        }
    }
};

QTEST_GUILESS_MAIN(TestSourceChecker)
#include "tst_sourcechecker.moc"
