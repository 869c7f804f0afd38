// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestConverter.h"
#include "TestFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestTestFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_previous;
    const QByteArray m_name = "\\data\\tests\\test3.ini";

private slots:
    void init()
    {
        m_previous = QDir::currentPath();
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("data/tests")));
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    void cleanup()
    {
        QDir::setCurrent(m_previous);
        delete m_dir;
        m_dir = nullptr;
    }

    void namesTheFileByTheTestName()
    {
        QCOMPARE(TestFile("test3").relativeName(), m_name);
        QCOMPARE(TestFile::atRelativeName("\\x.ini").relativeName(), QByteArray("\\x.ini"));
    }

    void readsWhatTheConverterWrote()
    {
        TestConverter converter;
        const QByteArray question = CodePage::fromUnicode(QStringLiteral("Сколько бит в байте?"));
        converter.convertLines({question, "A) 4", "B) 8*", "C) 16", "D) 2", "E) 1", "End"}, m_name);
        const TestFile file("test3");
        QCOMPARE(file.count(), 1);
        QCOMPARE(file.countText(), QByteArray("1"));
        QCOMPARE(file.question(1), question);
        QCOMPARE(file.answer(1, 1), QByteArray("A) 4"));
        QCOMPARE(file.answer(1, 2), QByteArray("B) 8 "));
        QCOMPARE(file.answer(1, 5), QByteArray("E) 1"));
        QCOMPARE(file.rightAnswer(1), QByteArray("2"));
        QCOMPARE(file.question(2), QByteArray("End"));
    }

    void fileNameMatchesWithoutLetterCase()
    {
        TestConverter converter;
        converter.convertLines({"Q", "A) a*", "End"}, "\\data\\tests\\Test3.ini");
        QCOMPARE(TestFile("test3").question(1), QByteArray("Q"));
        QCOMPARE(TestFile("TEST3").rightAnswer(1), QByteArray("1"));
    }

    void missingValuesReadAsTheMarker()
    {
        Store::write("1", "q", "only the question", m_name);
        const TestFile file("test3");
        QCOMPARE(file.answer(1, 3), Store::missing());
        QCOMPARE(file.question(2), Store::missing());
        QCOMPARE(TestFile("test9").question(1), Store::missing());
        QCOMPARE(Store::missing(), Store::crypt("!!!!!!"));
    }

    void readWholeAnswersAsEachRead_data()
    {
        QTest::addColumn<QList<QByteArray>>("source");
        QTest::addColumn<QByteArray>("raw");
        QTest::newRow("converted test")
            << QList<QByteArray>{"Q1",   "A) a", "B) b*",  "C) c", "D) d",
                                 "E) e", "Q2",   "C) c2*", "End"}
            << QByteArray();
        QTest::newRow("value beyond the read limit")
            << QList<QByteArray>{"Q" + QByteArray(3000, 'x'), "A) a*", "End"} << QByteArray();
        QTest::newRow("missing keys and sections")
            << QList<QByteArray>{} << QByteArray("[1]\r\nq=\"Q\"\r\n[3]\r\nap=\"/\"\r\n");
        QTest::newRow("hand-edited file")
            << QList<QByteArray>{}
            << QByteArray("[INF]\rvsego=3\r[1]\nq=plain\n[ 2 ]\r\nq = \" x \" \r\n[1]\r\n"
                          "a1=later\r\n");
        QTest::newRow("no file") << QList<QByteArray>{} << QByteArray("<none>");
    }

    void readWholeAnswersAsEachRead()
    {
        QFETCH(QList<QByteArray>, source);
        QFETCH(QByteArray, raw);
        if (!source.isEmpty()) {
            TestConverter converter;
            converter.convertLines(source, m_name);
        } else if (raw != "<none>") {
            QFile file(QStringLiteral("data/tests/test3.ini"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(raw);
        }
        const TestFile each("test3");
        const TestFile whole = TestFile::readWhole(m_name);
        QCOMPARE(whole.relativeName(), m_name);
        QCOMPARE(whole.countText(), each.countText());
        for (int k = 0; k <= 4; ++k) {
            QCOMPARE(whole.question(k), each.question(k));
            QCOMPARE(whole.rightAnswer(k), each.rightAnswer(k));
            for (int i = 0; i <= 6; ++i)
                QCOMPARE(whole.answer(k, i), each.answer(k, i));
        }
    }

    void readWholeKeepsTheFileAsItWasRead()
    {
        Store::write("1", "q", "before", m_name);
        const TestFile whole = TestFile::readWhole(m_name);
        Store::write("1", "q", "after", m_name);
        QCOMPARE(whole.question(1), QByteArray("before"));
        QCOMPARE(TestFile("test3").question(1), QByteArray("after"));
    }

    void count_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("count");
        QTest::newRow("ten") << QByteArray("10") << 10;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("no question lines") << QByteArray("-1") << -1;
    }

    void count()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, count);
        Store::write("inf", "vsego", stored, m_name);
        QCOMPARE(TestFile("test3").count(), count);
    }

    void badCount_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QByteArray() << false
                                      << QString("'%1' is not a valid integer value")
                                             .arg(QString::fromLatin1(Store::missing()));
        QTest::newRow("empty") << QByteArray() << true << "'' is not a valid integer value";
        QTest::newRow("text") << QByteArray("ten") << true << "'ten' is not a valid integer value";
        QTest::newRow("blank") << QByteArray("5 ") << true << "'5 ' is not a valid integer value";
        QTest::newRow("Cyrillic") << CodePage::fromUnicode(QStringLiteral("пять")) << true
                                  << QStringLiteral("'пять' is not a valid integer value");
    }

    void badCount()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, write);
        QFETCH(QString, message);
        if (write)
            Store::write("inf", "vsego", stored, m_name);
        try {
            TestFile("test3").count();
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestTestFile)
#include "tst_testfile.moc"
