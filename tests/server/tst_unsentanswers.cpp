// SPDX-License-Identifier: GPL-3.0-or-later
// The answers a run keeps on the machine while the server is away: written
// and read back, a file a run and server, and what a broken or foreign file
// gives.
#include "UnsentAnswers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Answers = QList<UnsentAnswers::Answer>;

class tst_UnsentAnswers : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        // The folder is made with the first file.
        const QString folder = dir.filePath(QStringLiteral("unsent"));
        const UnsentAnswers kept(folder, QStringLiteral("postgresql://lab@host/class7"), 42);
        const Answers answers{{3, 5}, {4, 1}, {5, 2}};
        QVERIFY(kept.write(answers));
        QCOMPARE(kept.read(5), answers);
        QVERIFY(kept.write({{3, 5}}));
        QCOMPARE(kept.read(5), (Answers{{3, 5}}));
        // Each run of each server has a file of its own.
        QVERIFY(UnsentAnswers(folder, QStringLiteral("postgresql://lab@host/class7"), 43)
                    .read(5)
                    .isEmpty());
        QVERIFY(UnsentAnswers(folder, QStringLiteral("postgresql://lab@host/class8"), 42)
                    .read(5)
                    .isEmpty());
        kept.remove();
        QVERIFY(QDir(folder).isEmpty());
        QVERIFY(kept.read(5).isEmpty());
    }

    void brokenInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Answers>("read");
        QTest::newRow("empty") << QByteArray() << Answers{};
        QTest::newRow("another kind of file") << QByteArray("1 2\n") << Answers{};
        QTest::newRow("a later version")
            << QByteArray("coursebook unsent answers 2\n1 2\n") << Answers{};
        QTest::newRow("cut in a line")
            << QByteArray("coursebook unsent answers 1\n1 2\n2") << Answers{{1, 2}};
        QTest::newRow("no question of the run")
            << QByteArray("coursebook unsent answers 1\n0 1\n4 1\n2 3\n") << Answers{{2, 3}};
        QTest::newRow("no answer's digit")
            << QByteArray("coursebook unsent answers 1\n1 0\n1 6\n2 x\n3 4\n") << Answers{{3, 4}};
        QTest::newRow("line ends of another system")
            << QByteArray("coursebook unsent answers 1\r\n1 2\r\n") << Answers{};
        QTest::newRow("too large to be ours")
            << QByteArray("coursebook unsent answers 1\n1 2\n") + QByteArray(70000, '\n')
            << Answers{};
    }

    void brokenInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Answers, read);
        QTemporaryDir dir;
        const UnsentAnswers kept(dir.path(), QStringLiteral("s"), 1);
        QFile file(kept.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(kept.read(3), read);
    }

    void unwritableFolder()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("unsent")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // A file where the folder should be: not kept, and said so.
        QVERIFY(!UnsentAnswers(blocker.fileName(), QStringLiteral("s"), 1).write({{1, 2}}));
    }
};

QTEST_GUILESS_MAIN(tst_UnsentAnswers)
#include "tst_unsentanswers.moc"
