// SPDX-License-Identifier: GPL-3.0-or-later
// A writer killed with SIGKILL at random moments among its writes to users.ini:
// after every kill the file reads and holds every write that had returned,
// and the lock the killed writer left is taken over. Run on the local disk and
// on the classroom share.
#include "Accounts.h"
#include "FileRead.h"
#include "IniDocument.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "Store.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <fcntl.h>
#include <sys/stat.h>

class KilledWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void everyReturnedWriteSurvivesTheKill();
    void emptyLockOfAKilledWriterIsTakenOver();

private:
    static QByteArray section(long i) { return "s" + QByteArray::number(i % 7); }
};

namespace {

constexpr int Kills = 40;

// Every key line of the file, counted by section and key.
QHash<QByteArray, int> keyLines(const QByteArray &text)
{
    QHash<QByteArray, int> counts;
    QByteArray current;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            current = line.mid(1, line.indexOf(']') - 1);
        } else if (line.contains('=')) {
            ++counts[current + '/' + line.left(line.indexOf('='))];
        }
    }
    return counts;
}

} // namespace

void KilledWriterTest::everyReturnedWriteSurvivesTheKill()
{
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    QTemporaryDir dir(base);
    QVERIFY(dir.isValid());
    const QString ini = dir.filePath(QStringLiteral("users.ini"));
    QRandomGenerator random(20240901);

    QList<long> confirmed;
    long next = 0;
    int kills = 0;
    qsizetype checked = 0;
    for (int round = 0; round < Kills; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(RELIABILITY_HELPER),
                     {QStringLiteral("write-loop"), dir.path(), QString::number(next)});
        QVERIFY(writer.waitForStarted());
        // The kill is to land among the writes, not before the first one.
        QByteArray out;
        while (!out.contains('\n')) {
            QVERIFY2(writer.waitForReadyRead(20000), "the writer made no write");
            out += writer.readAllStandardOutput();
        }
        QThread::msleep(random.bounded(150));
        writer.kill();
        QVERIFY(writer.waitForFinished(20000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        ++kills;
        out += writer.readAllStandardOutput();

        // Only whole lines were printed after their write returned.
        const qsizetype lastLine = out.lastIndexOf('\n');
        const QList<QByteArray> lines = out.left(lastLine).split('\n');
        const qsizetype before = confirmed.size();
        for (const QByteArray &line : lines)
            confirmed.append(line.toLong());
        QVERIFY(confirmed.size() > before);
        next = confirmed.constLast() + 1;

        // Read as the program reads: a writer killed between a share's
        // removal of the old file and the rename leaves the whole new file
        // beside the missing one.
        QByteArray text;
        QVERIFY2(FileRead::read(ini, &text) == 0, "the file does not read after the kill");
        const qsizetype sample = qMin<qsizetype>(before, 40);
        QList<long> toCheck = confirmed.mid(before);
        for (qsizetype j = 0; j < sample; ++j)
            toCheck.append(confirmed[random.bounded(int(before))]);
        for (long i : toCheck) {
            QByteArray value;
            QVERIFY2(IniDocument::find(text, section(i), "k" + QByteArray::number(i), &value),
                     qPrintable(QStringLiteral("write %1 lost after kill %2").arg(i).arg(kills)));
            QCOMPARE(Store::crypt(value), "v" + QByteArray::number(i));
            ++checked;
        }
    }

    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QHash<QByteArray, int> counts = keyLines(file.readAll());
    // A share does not replace a file that a reader holds open.
    file.close();
    for (long i : confirmed) {
        const QByteArray key = "k" + QByteArray::number(i);
        QCOMPARE(counts.value(section(i) + '/' + key), 1);
        QCOMPARE(Store::read(section(i), key, Accounts::UsersIni), "v" + QByteArray::number(i));
        ++checked;
    }
    // The last writer died holding the lock or not; the next write goes
    // through either way and leaves no lock behind.
    QElapsedTimer clock;
    clock.start();
    Store::write("after", "k", "v", Accounts::UsersIni);
    const qint64 recoveryMs = clock.elapsed();
    QCOMPARE(Store::read("after", "k", Accounts::UsersIni), QByteArray("v"));
    QCOMPARE(ShareFolder::locksIn(dir.path()), QStringList());
    qInfo("%s: %d kills survived, %lld returned writes, %lld checks, lost: 0; the write after the "
          "last kill took %lld ms, no lock left",
          ShareFolder::where(), kills, qlonglong(confirmed.size()), qlonglong(checked),
          qlonglong(recoveryMs));
    QDir::setCurrent(home);
}

// Killed between creating its lock and writing its name into it, a writer
// leaves an empty lock that no process holds.
void KilledWriterTest::emptyLockOfAKilledWriterIsTakenOver()
{
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    QTemporaryDir dir(base);
    QVERIFY(dir.isValid());
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString lock = dir.filePath(QStringLiteral("users.ini.lock"));
    QVERIFY(QDir().mkdir(lock));
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 5;
    times[1] = times[0];
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(lock).constData(), times, 0), 0);

    QElapsedTimer clock;
    clock.start();
    Store::write("ivan", "test1", "5", Accounts::UsersIni);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(Store::read("ivan", "test1", Accounts::UsersIni), QByteArray("5"));
    QVERIFY(!QFileInfo::exists(lock));
    QDir::setCurrent(home);
}

QTEST_GUILESS_MAIN(KilledWriterTest)
#include "tst_killedwriter.moc"
