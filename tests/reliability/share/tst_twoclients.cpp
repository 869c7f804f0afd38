// SPDX-License-Identifier: GPL-3.0-or-later
// Two machines of a classroom on one share at once: one mounts it through
// smbnetfs, the other through the desktop's GVFS, and every copy runs under a
// host name of its own. Both clients replace a file by removing it first, so
// a look-up on one machine in the middle of a replacement on the other must
// neither lose users.ini nor make a registration write it from nothing.
#include "Accounts.h"
#include "FileLock.h"
#include "FileWrite.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "Store.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

class tst_TwoClients : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readerWhileOtherRegisters_data();
    void readerWhileOtherRegisters();
    void copiesOnBothAtOnce_data();
    void copiesOnBothAtOnce();
    void killedWriterRecoveredOnOther_data();
    void killedWriterRecoveredOnOther();

private:
    // The folder through the client: 0 smbnetfs, 1 GVFS.
    QString through(int client) const { return client == 0 ? m_dir->path() : m_gvfs; }
    void start(QProcess &process, int host, const QStringList &arguments) const;

    QString m_home;
    QString m_unshare;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_gvfs;
};

namespace {

const char *const ClientNames[2] = {"smbnetfs", "GVFS"};

constexpr int Registrations = 16;
constexpr int Rounds = 3;
constexpr int Copies = 8;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool age(const QString &path, int ms)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= ms / 1000 + 1;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// Every name with a section in the file, and whether its password and
// grades are all there.
bool isWhole(const QByteArray &name, const QByteArray &password)
{
    if (!Accounts::passwordMatches(name, password))
        return false;
    for (int k = 1; k <= Accounts::TestCount; ++k) {
        if (Store::read(name, Accounts::testKey(k), Accounts::UsersIni) != (k == 1 ? "1" : "0"))
            return false;
    }
    return true;
}

} // namespace

void tst_TwoClients::initTestCase()
{
    m_home = QDir::currentPath();
    m_unshare = QStandardPaths::findExecutable(u"unshare"_s);
    if (m_unshare.isEmpty())
        return;
    QProcess probe;
    probe.start(m_unshare, {u"--uts"_s, u"hostname"_s, u"classroom-pc-1"_s});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        m_unshare.clear();
}

void tst_TwoClients::init()
{
    QString why;
    const QString base = ShareFolder::tempTemplate(&why);
    if (base.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    if (!ShareFolder::requested())
        QSKIP("two machines need the share fixture");
    if (m_unshare.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(
            QStringLiteral("copies under host names of their own need unshare --uts, which is "
                           "missing or refused here (it needs root)"));
    m_dir = std::make_unique<QTemporaryDir>(base);
    QVERIFY(m_dir->isValid());
    m_gvfs = ShareFolder::throughGvfs(m_dir->path(), &why);
    if (m_gvfs.isEmpty())
        COURSEBOOK_COMPONENT_MISSING(why);
    QVERIFY2(QFileInfo(m_gvfs).isDir(), qPrintable(m_gvfs));
}

void tst_TwoClients::cleanup()
{
    QDir::setCurrent(m_home);
    m_dir.reset();
}

// A copy of the helper on machine "classroom-pc-HOST".
void tst_TwoClients::start(QProcess &process, int host, const QStringList &arguments) const
{
    process.start(m_unshare, QStringList{u"--uts"_s, u"sh"_s, u"-c"_s,
                                         u"hostname \"$1\" && shift && exec \"$@\""_s, u"sh"_s,
                                         u"classroom-pc-"_s + QString::number(host),
                                         QStringLiteral(RELIABILITY_HELPER)} +
                                 arguments);
}

void tst_TwoClients::readerWhileOtherRegisters_data()
{
    QTest::addColumn<int>("writer");
    QTest::newRow("smbnetfs registers, GVFS logs in") << 0;
    QTest::newRow("GVFS registers, smbnetfs logs in") << 1;
}

void tst_TwoClients::readerWhileOtherRegisters()
{
    QFETCH(int, writer);
    const int reader = 1 - writer;
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QCOMPARE(Accounts::registerUser("first", "pw").refusal, Accounts::Refusal::None);

    QProcess poller;
    start(poller, 2, {u"poll"_s, through(reader), u"first"_s, u"pw"_s});
    QProcess registrar;
    start(registrar, 1,
          {u"register-loop"_s, through(writer), u"user"_s, QString::number(Registrations)});
    QVERIFY(registrar.waitForFinished(240000));
    const QByteArray log = registrar.readAllStandardOutput();
    poller.write("stop\n");
    QVERIFY(poller.waitForFinished(60000));
    const QList<QByteArray> counts = poller.readAllStandardOutput().trimmed().split(' ');
    QCOMPARE(counts.size(), 4);

    QList<QByteArray> reported;
    for (const QByteArray &line : log.split('\n')) {
        if (line.startsWith("ok "))
            reported.append("user" + line.mid(3));
    }
    int whole = 0;
    for (const QByteArray &name : reported)
        whole += isWhole(name, "pw") ? 1 : 0;
    const QList<QByteArray> list = UserList::load();
    QVERIFY2(isWhole("first", "pw"), "the user registered first is gone");
    QCOMPARE(whole, reported.size());
    for (const QByteArray &name : reported)
        QCOMPARE(list.count(name), 1);
    QCOMPARE(counts.value(3), QByteArray("0"));
    QCOMPARE(reported.size(), Registrations);
    QCOMPARE(ShareFolder::locksIn(m_dir->path()), QStringList());
    // A removal on the share lands once every copy that had the file open
    // has closed it.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(FileWrite::sideName(m_dir->filePath(u"users.ini"_s))),
                             10000);
    qInfo("%s registers %d (reported done %lld, whole %d) while %s logs in %s times: %s failed",
          ClientNames[writer], Registrations, qlonglong(reported.size()), whole,
          ClientNames[reader], counts.value(1).constData(), counts.value(3).constData());
}

void tst_TwoClients::copiesOnBothAtOnce_data()
{
    QTest::addColumn<bool>("oneName");
    QTest::newRow("one name eight times") << true;
    QTest::newRow("eight names") << false;
}

void tst_TwoClients::copiesOnBothAtOnce()
{
    QFETCH(bool, oneName);
    const QStringList spellings = {u"Ivan"_s, u"IVAN"_s, u"ivan"_s, u"iVaN"_s,
                                   u"Ivan"_s, u"IVAN"_s, u"ivan"_s, u"IvAn"_s};
    int accepted = 0;
    int refused = 0;
    for (int round = 0; round < Rounds; ++round) {
        const QString folder = QString::number(round);
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int i = 0; i < Copies; ++i) {
            const QString name = oneName ? spellings[i] : u"user"_s + QString::number(i);
            copies.push_back(std::make_unique<QProcess>());
            start(*copies.back(), i + 1,
                  {u"register"_s, through(i % 2) + u'/' + folder, name,
                   u"pw"_s + QString::number(i)});
        }
        QList<int> ok;
        for (int i = 0; i < Copies; ++i) {
            QVERIFY(copies[i]->waitForFinished(120000));
            const QByteArray out = copies[i]->readAllStandardOutput().trimmed();
            if (out == "ok")
                ok.append(i);
            else
                QVERIFY2(out == "refused" && oneName, out.constData());
        }
        accepted += ok.size();
        refused += Copies - ok.size();
        QVERIFY(QDir::setCurrent(m_dir->filePath(folder)));
        const QList<QByteArray> list = UserList::load();
        if (oneName) {
            QCOMPARE(ok.size(), 1);
            QCOMPARE(list, QList<QByteArray>{spellings[ok.constFirst()].toUtf8()});
            QVERIFY(isWhole("ivan", "pw" + QByteArray::number(ok.constFirst())));
        } else {
            QCOMPARE(ok.size(), Copies);
            QCOMPARE(list.size(), Copies);
            for (int i = 0; i < Copies; ++i) {
                const QByteArray n = QByteArray::number(i);
                QVERIFY2(isWhole("user" + n, "pw" + n), n.constData());
                QCOMPARE(list.count("user" + n), 1);
            }
        }
        QCOMPARE(ShareFolder::locksIn(m_dir->filePath(folder)), QStringList());
        QVERIFY(QDir::setCurrent(m_home));
    }
    qInfo("%d rounds of %d copies, half on smbnetfs and half on GVFS, each its own host: %d "
          "registered whole, %d refused as already registered",
          Rounds, Copies, accepted, refused);
}

void tst_TwoClients::killedWriterRecoveredOnOther_data()
{
    QTest::addColumn<int>("killed");
    QTest::newRow("killed on smbnetfs, recovered on GVFS") << 0;
    QTest::newRow("killed on GVFS, recovered on smbnetfs") << 1;
}

void tst_TwoClients::killedWriterRecoveredOnOther()
{
    QFETCH(int, killed);
    const int other = 1 - killed;
    long acknowledged = 0;
    for (int round = 0; round < Rounds; ++round) {
        const QString folder = QString::number(round);
        QVERIFY(QDir(m_dir->path()).mkdir(folder));
        // The other machine looks into users.ini meanwhile.
        QProcess looker;
        start(looker, 2, {u"poll"_s, through(other) + u'/' + folder, u"ivan"_s, u"pw"_s});
        QProcess writer;
        start(writer, 1, {u"write-loop"_s, through(killed) + u'/' + folder, u"0"_s});
        QVERIFY(writer.waitForStarted());
        QByteArray out;
        // Killed at a different moment of a write each round.
        const int writes = 5 + QRandomGenerator::global()->bounded(10);
        while (out.count('\n') < writes && writer.state() == QProcess::Running) {
            writer.waitForReadyRead(20000);
            out += writer.readAllStandardOutput();
        }
        QTest::qWait(QRandomGenerator::global()->bounded(40));
        writer.kill();
        // A copy killed inside a call to the share's client ends only once
        // the client has answered, which on a loaded machine takes a while.
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        looker.write("stop\n");
        QVERIFY(looker.waitForFinished(60000));
        out += writer.readAllStandardOutput();
        const QList<QByteArray> lines = out.trimmed().split('\n');
        const long last = lines.constLast().toLong();
        acknowledged += last + 1;

        // The killed copy's host cannot be asked; its lock is taken over once
        // it is past the stale time, which here is made to have passed.
        const QString lock = FileLock::lockPath(m_dir->filePath(folder + u"/users.ini"_s));
        if (QFileInfo::exists(lock)) {
            age(lock + u"/holder"_s, FileLock::StaleAfterMs + 5000);
            age(lock, FileLock::StaleAfterMs + 5000);
        }
        QProcess next;
        start(next, 2, {u"write"_s, through(other) + u'/' + folder, u"ini"_s, u"\\users.ini"_s});
        QVERIFY(next.waitForFinished(120000));
        QCOMPARE(next.readAllStandardOutput().trimmed(), QByteArray("ok"));

        QVERIFY(QDir::setCurrent(through(other) + u'/' + folder));
        for (long i = 0; i <= last; ++i) {
            const QByteArray n = QByteArray::number(i);
            QCOMPARE(Store::read("s" + QByteArray::number(i % 7), "k" + n, Accounts::UsersIni),
                     "v" + n);
        }
        QCOMPARE(Store::read("ivan", "test1", Accounts::UsersIni), QByteArray("5"));
        QVERIFY(QDir::setCurrent(m_home));
        QCOMPARE(ShareFolder::locksIn(m_dir->filePath(folder)), QStringList());
        QVERIFY(!fileBytes(m_dir->filePath(folder + u"/users.ini"_s)).isEmpty());
    }
    qInfo("%d writers killed on %s while %s looked in: %ld acknowledged writes all read back "
          "there, which wrote next",
          Rounds, ClientNames[killed], ClientNames[other], acknowledged);
}

QTEST_GUILESS_MAIN(tst_TwoClients)
#include "tst_twoclients.moc"
