#include "QuestionSource.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Lines = QList<QByteArray>;

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
