// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionSource.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Lines = QList<QByteArray>;

namespace {

QByteArray cp1251(const char *utf8)
{
    return CodePage::fromUnicode(QString::fromUtf8(utf8));
}

} // namespace

class TestQuestionSource : public QObject
{
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Lines>("lines");

        QTest::newRow("empty text") << QByteArray() << Lines{};
        QTest::newRow("one line break") << QByteArray("\n") << Lines{""};
        QTest::newRow("LF") << QByteArray("a\nb\n") << Lines{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
        QTest::newRow("no final line break") << QByteArray("a\nb") << Lines{"a", "b"};
        QTest::newRow("empty line at the end") << QByteArray("a\n\n") << Lines{"a", ""};
        QTest::newRow("empty lines inside") << QByteArray("a\n\r\n\nb") << Lines{"a", "", "", "b"};
        QTest::newRow("CR alone does not end a line") << QByteArray("a\rb\nc") << Lines{"ab", "c"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << Lines{"a", "b"};
        QTest::newRow("CR at the very end") << QByteArray("a\nb\r") << Lines{"a", "b"};
        QTest::newRow("CR only") << QByteArray("\r") << Lines{""};
        QTest::newRow("Ctrl-Z ends the text") << QByteArray("a\nb\x1a\nc\n") << Lines{"a", "b"};
        QTest::newRow("Ctrl-Z after a line break") << QByteArray("a\n\x1a") << Lines{"a"};
        QTest::newRow("Ctrl-Z first") << QByteArray("\x1a"
                                                    "a\n")
                                      << Lines{};
        QTest::newRow("blanks are kept") << QByteArray(" a \n\t\n") << Lines{" a ", "\t"};
        QTest::newRow("8-bit bytes are kept")
            << QByteArray("\xc0) \xe0\xe1\xe2*\r\n") << Lines{"\xc0) \xe0\xe1\xe2*"};
        QTest::newRow("NUL is an ordinary byte")
            << QByteArray("a\0b\n", 4) << Lines{QByteArray("a\0b", 3)};
    }

    void split()
    {
        QFETCH(QByteArray, text);
        QFETCH(Lines, lines);
        QCOMPARE(QuestionSource::split(text), lines);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray russian = cp1251("Вопрос ё?\r\nA) да*\r\n");
        QTest::newRow("Windows-1251 stays byte for byte") << russian << false << russian;
        QTest::newRow("UTF-8") << QByteArray("Вопрос ё?\r\nA) да*\r\n") << true << russian;
        QTest::newRow("UTF-8 with a byte-order mark")
            << QByteArray("\xEF\xBB\xBFВопрос ё?\r\nA) да*\r\n") << true << russian;
        QTest::newRow("a mark before plain ASCII")
            << QByteArray("\xEF\xBB\xBFQ\n") << true << QByteArray("Q\n");
        QTest::newRow("plain ASCII") << QByteArray("Q\nA) a\n") << false << QByteArray("Q\nA) a\n");
        QTest::newRow("Windows-1251 that begins like UTF-8")
            << cp1251("Д«») вопрос\n") << false << cp1251("Д«») вопрос\n");
    }

    void decode()
    {
        QFETCH(QByteArray, raw);
        QFETCH(bool, utf8);
        QFETCH(QByteArray, bytes);
        const QuestionSource::Text text = QuestionSource::decode(raw);
        QCOMPARE(text.utf8, utf8);
        QCOMPARE(text.bytes, bytes);
        QCOMPARE(text.lines, QuestionSource::split(bytes));
        QVERIFY(text.foreign.isEmpty());
    }

    void foreignCharacters()
    {
        const QuestionSource::Text text =
            QuestionSource::decode(QByteArray("Q\nA) x \xE2\x88\x91 y\xF0\x9F\x98\x80\n"));
        QCOMPARE(text.foreign.size(), 1);
        QCOMPARE(text.foreign[0].line, 2);
        QCOMPARE(text.foreign[0].column, 6);
        QCOMPARE(text.foreign[0].character, QStringLiteral("\u2211"));
        QCOMPARE(text.lines.size(), 2);
    }

    void markers_data()
    {
        QTest::addColumn<QByteArray>("answers"); // the marker letters, UTF-8, one a line
        QTest::addColumn<QByteArray>("read");    // what they read as; "-" where left alone
        QTest::addColumn<QString>("reading");
        QTest::newRow("Latin") << QByteArray("ABCDE") << QByteArray("ABCDE") << QString();
        QTest::newRow("alphabet order")
            << QByteArray("АБВГД") << QByteArray("ABCDE") << QStringLiteral("alphabet");
        QTest::newRow("look-alikes beside Latin")
            << QByteArray("АВСDЕ") << QByteArray("ABCDE") << QStringLiteral("look-alike");
        QTest::newRow("two look-alikes beside Latin C D E")
            << QByteArray("АВCDE") << QByteArray("ABCDE") << QStringLiteral("look-alike");
        QTest::newRow("alphabet beside Latin D E")
            << QByteArray("АБВDE") << QByteArray("ABCDE") << QStringLiteral("alphabet");
        QTest::newRow("either reading fits")
            << QByteArray("АВ") << QByteArray("--") << QStringLiteral("ambiguous");
        QTest::newRow("neither reading fits")
            << QByteArray("АБС") << QByteArray("---") << QString();
        QTest::newRow("a letter beyond E")
            << QByteArray("ABCDЖ") << QByteArray("ABCD-") << QString();
    }

    void markers()
    {
        QFETCH(QByteArray, answers);
        QFETCH(QByteArray, read);
        QFETCH(QString, reading);
        const QString letters = QString::fromUtf8(answers);
        QByteArray source = "Q1\n";
        for (const QChar letter : letters)
            source += CodePage::fromUnicode(QString(letter)) + ") x\n";
        source += "End\n";
        QList<QuestionSource::MarkerReading> readings;
        const Lines lines = QuestionSource::readMarkers(QuestionSource::split(source), &readings);
        for (qsizetype i = 0; i < read.size(); ++i) {
            const QByteArray expected = read[i] == '-'
                                            ? CodePage::fromUnicode(letters.mid(i, 1)) + ") x"
                                            : QByteArray(1, read[i]) + ") x";
            QCOMPARE(lines[i + 1], expected);
        }
        static const QMap<QuestionSource::Markers, QString> names{
            {QuestionSource::Markers::LookAlike, QStringLiteral("look-alike")},
            {QuestionSource::Markers::Alphabet, QStringLiteral("alphabet")},
            {QuestionSource::Markers::Ambiguous, QStringLiteral("ambiguous")}};
        QCOMPARE(readings.size(), reading.isEmpty() ? 0 : 1);
        if (!reading.isEmpty()) {
            QCOMPARE(names.value(readings[0].markers), reading);
            QCOMPARE(readings[0].line, 1);
        }
    }

    void longLinesAreNotCut()
    {
        const QByteArray longLine(300000, 'x');
        const Lines lines = QuestionSource::split(longLine + "\r\n" + longLine);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], longLine);
        QCOMPARE(lines[1], longLine);
    }

    void readsFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("source.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Q\r\nA) a*\r\n\x1a garbage");
        file.close();
        QCOMPARE(QuestionSource::read(path), (Lines{"Q", "A) a*"}));
    }

    void unreadableSource_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << "missing.txt"
                                      << "File not found";
        QTest::newRow("missing folder") << "nowhere/missing.txt"
                                        << "Path not found";
        QTest::newRow("folder") << "sub"
                                << "File access denied";
    }

    void unreadableSource()
    {
        QFETCH(QString, relative);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        try {
            QuestionSource::read(dir.filePath(relative));
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestQuestionSource)
#include "tst_questionsource.moc"
