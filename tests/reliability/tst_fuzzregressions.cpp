// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every input the fuzz targets keep, their seed corpus and the inputs
// they once failed on, through the same checks in a normal build.
#include "FuzzTargets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class FuzzRegressionsTest : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void FuzzRegressionsTest::replay_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("input");

    const QDir fuzz(QStringLiteral(COURSEBOOK_SOURCE_DIR "/fuzz"));
    for (const QByteArray &target : FuzzTargets::names()) {
        int found = 0;
        for (const char *kind : {"corpus", "regressions"}) {
            const QString folder = fuzz.filePath(QString::fromLatin1(kind) + '/' + target);
            QDirIterator it(folder, QDir::Files);
            while (it.hasNext()) {
                const QString file = it.next();
                QTest::addRow("%s/%s/%s", kind, target.constData(),
                              qPrintable(QFileInfo(file).fileName()))
                    << target << file;
                ++found;
            }
        }
        QVERIFY2(found > 0, target.constData());
    }
}

void FuzzRegressionsTest::replay()
{
    QFETCH(QByteArray, target);
    QFETCH(QString, input);

    QFile file(input);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    const QString home = QDir::currentPath();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    const QByteArray problem = FuzzTargets::byName(target)(data);
    QDir::setCurrent(home);
    QVERIFY2(problem.isEmpty(), problem.constData());
}

QTEST_GUILESS_MAIN(FuzzRegressionsTest)
#include "tst_fuzzregressions.moc"
