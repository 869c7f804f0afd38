// SPDX-License-Identifier: GPL-3.0-or-later
// Copies on other machines share the folder; here they run under host names
// of their own (a UTS namespace each). Their locks are foreign to this host:
// a writer here waits for one while its holder runs, and takes one over whose
// holder is gone only once it is older than the stale time. Run on the local
// disk and on the classroom share.
#include "Accounts.h"
#include "FileLock.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "Store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

class ForeignHostsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void foreignLock_data();
    void foreignLock();

private:
    QString m_home;
    QString m_unshare;
};

namespace {

enum class Holder
{
    Running,
    RunningPastStaleTime, // a holder that outlives the stale time
    Gone,
};

const QString OtherHost = u"classroom-pc-7"_s;

// How long a writer must go on waiting to show that it does not take the
// lock over.
constexpr int WaitsAtLeastMs = 2000;

bool age(const QString &path, int ms)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= ms / 1000 + 1;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

QByteArray lockText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void ForeignHostsTest::initTestCase()
{
    m_unshare = QStandardPaths::findExecutable(u"unshare"_s);
    if (m_unshare.isEmpty())
        return;
    QProcess probe;
    probe.start(m_unshare, {u"--uts"_s, u"hostname"_s, OtherHost});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        m_unshare.clear();
}

void ForeignHostsTest::init()
{
    m_home = QDir::currentPath();
}

void ForeignHostsTest::cleanup()
{
    QDir::setCurrent(m_home);
}

void ForeignHostsTest::foreignLock_data()
{
    QTest::addColumn<int>("holder");
    QTest::newRow("holder runs") << int(Holder::Running);
    QTest::newRow("holder runs past the stale time") << int(Holder::RunningPastStaleTime);
    QTest::newRow("holder gone") << int(Holder::Gone);
}

void ForeignHostsTest::foreignLock()
{
    QFETCH(int, holder);
    const Holder kind = Holder(holder);
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    if (m_unshare.isEmpty())
        QSKIP("copies under another host name need unshare --uts, which is missing or refused "
              "here (it needs root)");
    // On a local disk nothing tells a running holder on another machine from
    // a gone one once its lock is past the stale time; a share does, since it
    // does not remove a file that is still open.
    if (kind == Holder::RunningPastStaleTime && !ShareFolder::requested())
        QSKIP("a local disk cannot tell a holder on another machine past the stale time from a "
              "gone one; the share can");
    QTemporaryDir dir(base);
    QVERIFY(dir.isValid());
    const QString lock = FileLock::lockPath(dir.filePath(u"users.ini"_s));

    QProcess foreign;
    foreign.start(m_unshare,
                  {u"--uts"_s, u"sh"_s, u"-c"_s, u"hostname \"$1\" && exec \"$2\" hold \"$3\""_s,
                   u"sh"_s, OtherHost, QStringLiteral(RELIABILITY_HELPER), dir.path()});
    QVERIFY(foreign.waitForStarted());
    QVERIFY2(foreign.waitForReadyRead(20000), foreign.readAllStandardError().constData());
    QCOMPARE(foreign.readAllStandardOutput(), QByteArray("held\n"));
    QCOMPARE(lockText(lock + u"/holder"_s).split('\n').value(2), OtherHost.toUtf8());
    if (kind == Holder::Gone) {
        foreign.kill();
        QVERIFY(foreign.waitForFinished(10000));
        QVERIFY(QFileInfo::exists(lock));
    }
    if (kind == Holder::RunningPastStaleTime)
        QVERIFY(age(lock + u"/holder"_s, FileLock::StaleAfterMs + 5000));

    QElapsedTimer clock;
    clock.start();
    QProcess writer;
    writer.start(QStringLiteral(RELIABILITY_HELPER),
                 {u"write"_s, dir.path(), u"ini"_s, QString::fromLatin1(Accounts::UsersIni)});
    QVERIFY(writer.waitForStarted());
    QVERIFY2(!writer.waitForFinished(WaitsAtLeastMs),
             "the writer took over a foreign lock: " + writer.readAllStandardOutput());
    const qint64 waited = clock.elapsed();

    if (kind == Holder::Gone) {
        QVERIFY(age(lock + u"/holder"_s, FileLock::StaleAfterMs));
    } else {
        foreign.write("release\n");
        QVERIFY(foreign.waitForFinished(10000));
        QCOMPARE(foreign.exitCode(), 0);
    }
    QVERIFY(writer.waitForFinished(10000));
    const qint64 after = clock.elapsed() - waited;
    QCOMPARE(writer.readAllStandardOutput().trimmed(), QByteArray("ok"));

    QVERIFY(QDir::setCurrent(dir.path()));
    QCOMPARE(Store::read("ivan", "test1", Accounts::UsersIni), QByteArray("5"));
    QCOMPARE(ShareFolder::locksIn(dir.path()), QStringList());
    qInfo("%s: a lock of host %s, %s: the writer here waited %lld ms without taking it, then wrote "
          "%lld ms after the %s; no lock left",
          ShareFolder::where(), qPrintable(OtherHost), QTest::currentDataTag(), qlonglong(waited),
          qlonglong(after), kind == Holder::Gone ? "lock passed the stale time" : "release");
}

QTEST_GUILESS_MAIN(ForeignHostsTest)
#include "tst_foreignhosts.moc"
