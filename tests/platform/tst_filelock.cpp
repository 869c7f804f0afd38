// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLock.h"
#include "GoneProcess.h"
#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class tst_FileLock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void heldAgainByTheSameProcess();
    void leftBehindLockTakenOver_data();
    void leftBehindLockTakenOver();
    void missingFolderRefusedAtOnce();
    void heldLockRefusalNamesItsHolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString target() const { return m_dir->filePath(u"users.ini"_s); }
};

namespace {

QByteArray holder(qint64 pid, const QByteArray &host)
{
    return QByteArray::number(pid) + "\ncoursebook\n" + host + "\n1f2e3d\n";
}

bool age(const QString &path, int seconds)
{
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

bool putFile(const QString &path, const QByteArray &text, int ageSeconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    return age(path, ageSeconds);
}

// A lock as a copy leaves it: its folder, and the holder's name in it unless
// the copy died before writing it; or, from an earlier version, a file.
bool putLock(const QString &path, const QByteArray &text, int ageSeconds, bool asFile = false)
{
    if (asFile)
        return putFile(path, text, ageSeconds);
    if (!QDir().mkpath(path))
        return false;
    if (!text.isEmpty() && !putFile(path + u"/holder"_s, text, ageSeconds))
        return false;
    return age(path, ageSeconds);
}

} // namespace

void tst_FileLock::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_FileLock::heldAgainByTheSameProcess()
{
    const QString lock = FileLock::lockPath(target());
    {
        const FileLock outer(target());
        QElapsedTimer clock;
        clock.start();
        {
            const FileLock inner(target());
            QVERIFY(clock.elapsed() < 1000);
        }
        QVERIFY2(QFile::exists(lock), "the inner hold released the outer one");
        QFile file(lock + u"/holder"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray::number(qint64(::getpid())));
        QCOMPARE(lines.value(2), QSysInfo::machineHostName().toUtf8());
    }
    QVERIFY(!QFile::exists(lock));
}

void tst_FileLock::leftBehindLockTakenOver_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("ageSeconds");
    // A takeover's lock left beside it, "file" for a lock of an earlier
    // version, "extra" for files and a folder put inside the lock, "holder
    // folder" for a folder in the holder's place, or empty.
    QTest::addColumn<QByteArray>("guard");

    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    const qint64 gone = GoneProcess::id();
    const int stale = FileLock::StaleAfterMs / 1000 + 5;
    QTest::newRow("process gone on this host") << holder(gone, here) << 0 << QByteArray();
    QTest::newRow("process gone, its takeover's lock left too")
        << holder(gone, here) << 0 << holder(gone, here);
    QTest::newRow("other host, past the stale time")
        << holder(qint64(::getpid()), "classroom-pc-7") << stale << QByteArray();
    QTest::newRow("no name, past a second") << QByteArray() << 5 << QByteArray();
    QTest::newRow("a lock file of an earlier version, process gone")
        << holder(gone, here) << 0 << QByteArray("file");
    QTest::newRow("half a name, past a second") << QByteArray("4711\ncourse") << 5 << QByteArray();
    // This test runs under a name of its own, not the holder's "coursebook".
    QTest::newRow("process of this host now another program's")
        << holder(qint64(::getpid()), here) << 0 << QByteArray();
    QTest::newRow("other host, dated an hour ahead")
        << holder(qint64(::getpid()), "classroom-pc-7") << -3600 << QByteArray();
    QTest::newRow("no name, dated an hour ahead") << QByteArray() << -3600 << QByteArray();
    QTest::newRow("process gone, files and a folder put inside")
        << holder(gone, here) << 0 << QByteArray("extra");
    QTest::newRow("a folder in the holder's place")
        << QByteArray() << 5 << QByteArray("holder folder");
}

void tst_FileLock::leftBehindLockTakenOver()
{
    QFETCH(QByteArray, text);
    QFETCH(int, ageSeconds);
    QFETCH(QByteArray, guard);
    const QString lock = FileLock::lockPath(target());
    QVERIFY(putLock(lock, text, ageSeconds, guard == "file"));
    if (guard == "extra") {
        QVERIFY(putFile(lock + u"/notes.txt"_s, "x", 0));
        QVERIFY(QDir().mkpath(lock + u"/sub"_s));
    } else if (guard == "holder folder") {
        QVERIFY(QDir().mkpath(lock + u"/holder"_s));
        QVERIFY(age(lock + u"/holder"_s, ageSeconds));
        QVERIFY(age(lock, ageSeconds));
    } else if (!guard.isEmpty() && guard != "file") {
        QVERIFY(putLock(FileLock::lockPath(lock), guard, 0));
    }

    QElapsedTimer clock;
    clock.start();
    {
        const FileLock taken(target());
        QVERIFY(clock.elapsed() < 2000);
        QFile file(lock + u"/holder"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().split('\n').value(0), QByteArray::number(qint64(::getpid())));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void tst_FileLock::missingFolderRefusedAtOnce()
{
    const QString path = m_dir->filePath(u"gone/users.ini"_s);
    QElapsedTimer clock;
    clock.start();
    QString message;
    try {
        const FileLock lock(path);
    } catch (const RuntimeError &e) {
        message = e.message();
    }
    QVERIFY(message.startsWith(u"Unable to write to "_s));
    QVERIFY(clock.elapsed() < 1000);
}

void tst_FileLock::heldLockRefusalNamesItsHolder()
{
    // A holder on another machine, fresh: nothing here can tell it is gone.
    const QString lock = FileLock::lockPath(target());
    QVERIFY(putLock(lock, holder(4711, "classroom-pc-7"), 0));
    const QDateTime made = QFileInfo(lock + u"/holder"_s).lastModified();
    const QString format = u"dd.MM.yyyy HH:mm:ss"_s;
    QElapsedTimer clock;
    clock.start();
    QString message;
    try {
        const FileLock taken(target());
    } catch (const FileLock::Refused &e) {
        message = e.message();
    }
    QVERIFY(clock.elapsed() < FileLock::StaleAfterMs);
    QVERIFY2(
        message.startsWith(u"Unable to write to "_s + QDir::toNativeSeparators(target()) + u'\n'),
        qPrintable(message));
    for (const QString &part :
         {QDir::toNativeSeparators(lock), u"coursebook"_s, u"classroom-pc-7"_s, u"4711"_s})
        QVERIFY2(message.contains(part), qPrintable(part + u" missing from: "_s + message));
    QVERIFY2(message.contains(made.toString(format)) ||
                 message.contains(made.addMSecs(-1).toString(format)),
             qPrintable(message));
    QVERIFY(QFileInfo::exists(lock + u"/holder"_s));
}

QTEST_GUILESS_MAIN(tst_FileLock)
#include "tst_filelock.moc"
