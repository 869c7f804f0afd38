#include "FileLock.h"
#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
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

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString target() const { return m_dir->filePath(u"users.ini"_s); }
};

namespace {

// The id of a process that has ended.
qint64 goneProcess()
{
    QProcess process;
    process.start(u"true"_s);
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

QByteArray holder(qint64 pid, const QByteArray &host)
{
    return QByteArray::number(pid) + "\ncoursebook\n" + host + "\n1f2e3d\n";
}

bool putLock(const QString &path, const QByteArray &text, int ageSeconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
        return false;
    return file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                            QFileDevice::FileModificationTime);
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
        QFile file(lock);
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
    QTest::addColumn<QByteArray>("guard"); // a takeover's lock left beside it, or empty

    const QByteArray here = QSysInfo::machineHostName().toUtf8();
    const qint64 gone = goneProcess();
    const int stale = FileLock::StaleAfterMs / 1000 + 5;
    QTest::newRow("process gone on this host") << holder(gone, here) << 0 << QByteArray();
    QTest::newRow("process gone, its takeover's lock left too")
        << holder(gone, here) << 0 << holder(gone, here);
    QTest::newRow("other host, past the stale time")
        << holder(qint64(::getpid()), "classroom-pc-7") << stale << QByteArray();
    QTest::newRow("no name, past a second") << QByteArray() << 5 << QByteArray();
    QTest::newRow("half a name, past a second") << QByteArray("4711\ncourse") << 5 << QByteArray();
}

void tst_FileLock::leftBehindLockTakenOver()
{
    QFETCH(QByteArray, text);
    QFETCH(int, ageSeconds);
    QFETCH(QByteArray, guard);
    const QString lock = FileLock::lockPath(target());
    QVERIFY(putLock(lock, text, ageSeconds));
    if (!guard.isEmpty())
        QVERIFY(putLock(FileLock::lockPath(lock), guard, 0));

    QElapsedTimer clock;
    clock.start();
    {
        const FileLock taken(target());
        QVERIFY(clock.elapsed() < 2000);
        QFile file(lock);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().split('\n').value(0), QByteArray::number(qint64(::getpid())));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
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

QTEST_GUILESS_MAIN(tst_FileLock)
#include "tst_filelock.moc"
