// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileRead.h"
#include "FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <unistd.h>

// The calls a share's client answers differently from the local disk, taken
// over at link time (-Wl,--wrap) so that its answers can be played here.
namespace {

struct Faults
{
    // rename: refused this many times with this error, the target removed
    // first the way the FUSE clients replace a file.
    int renameRefusals = 0;
    int renameError = 0;
    bool removeTargetFirst = false;
    // open: an existing file opened for writing without truncation is not
    // supported, as on a GVFS mount.
    bool noWriteIntoExisting = false;
    // open: this many input/output errors first.
    int openIoErrors = 0;
};

Faults faults;

} // namespace

extern "C" {
int __real_rename(const char *from, const char *to);
int __real_open(const char *path, int flags, ...);

int __wrap_rename(const char *from, const char *to)
{
    if (faults.renameRefusals > 0) {
        --faults.renameRefusals;
        if (faults.removeTargetFirst)
            ::unlink(to);
        errno = faults.renameError;
        return -1;
    }
    return __real_rename(from, to);
}

int __wrap_open(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list arguments;
        va_start(arguments, flags);
        mode = mode_t(va_arg(arguments, int));
        va_end(arguments);
    }
    if (faults.openIoErrors > 0) {
        --faults.openIoErrors;
        errno = EIO;
        return -1;
    }
    if (faults.noWriteIntoExisting && (flags & O_ACCMODE) != O_RDONLY &&
        !(flags & (O_TRUNC | O_EXCL)) && ::access(path, F_OK) == 0) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return __real_open(path, flags, mode);
}
}

using namespace Qt::Literals::StringLiterals;

class tst_FileWrite : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void replaceKeepsMode_data();
    void replaceKeepsMode();
    void replaceReusesSideFileOfAKilledWriter();
    void refusedRenameLeavesOldFileAndNoSideFile();
    void linkReplacedAndItsFileUntouched();
    void appendCreatesThenWritesAtTheEnd();
    void appendWhereTheClientCannotWriteIntoAFile();
    void refusedRenamesWaitedOut_data();
    void refusedRenamesWaitedOut();
    void renameThatNeverLands_data();
    void renameThatNeverLands();
    void sideFileBesideAMissingFileIsTheFile();
    void inputOutputErrorsWaitedOut();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString target() const { return m_dir->filePath(u"users"_s); }
    QStringList files() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

void tst_FileWrite::init()
{
    faults = Faults();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_FileWrite::replaceKeepsMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("owner only") << 0x6000;
    QTest::newRow("group reads") << 0x6040;
    QTest::newRow("everyone writes") << 0x6666;
}

void tst_FileWrite::replaceKeepsMode()
{
    QFETCH(int, mode);
    const auto permissions = QFileDevice::Permissions(mode);
    QVERIFY(put(target(), "ivan\r\n"));
    QVERIFY(QFile::setPermissions(target(), permissions));
    QCOMPARE(FileWrite::replace(target(), "ivan\r\npetr\r\n"), 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(QFile::permissions(target()) & ~QFileDevice::Permissions(0x0777),
             permissions & ~QFileDevice::Permissions(0x0777));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::replaceReusesSideFileOfAKilledWriter()
{
    QVERIFY(put(target(), "ivan\r\n"));
    QVERIFY(put(FileWrite::sideName(target()), "half a wri"));
    QCOMPARE(FileWrite::replace(target(), "petr\r\n"), 0);
    QCOMPARE(contents(target()), QByteArray("petr\r\n"));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::refusedRenameLeavesOldFileAndNoSideFile()
{
    // A folder in the file's place that holds a file: no rename goes over it.
    QVERIFY(QDir().mkpath(target()));
    QVERIFY(put(target() + u"/inside"_s, "kept"));
    QVERIFY(FileWrite::replace(target(), "petr\r\n") != 0);
    QCOMPARE(contents(target() + u"/inside"_s), QByteArray("kept"));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::linkReplacedAndItsFileUntouched()
{
    const QString real = m_dir->filePath(u"real"_s);
    QVERIFY(put(real, "ivan\r\n"));
    QVERIFY(QFile::link(real, target()));
    // The name written is the name given: a link standing there, put in
    // after the caller looked, is replaced, and what it names stays.
    QCOMPARE(FileWrite::replace(target(), "petr\r\n"), 0);
    QVERIFY(!QFileInfo(target()).isSymLink());
    QCOMPARE(contents(target()), QByteArray("petr\r\n"));
    QCOMPARE(contents(real), QByteArray("ivan\r\n"));
    QCOMPARE(FileWrite::append(real + u"-link"_s, "x"), 0);
    QVERIFY(QFile::remove(real + u"-link"_s));
    QVERIFY(QFile::link(real, real + u"-link"_s));
    QCOMPARE(FileWrite::append(real + u"-link"_s, "x"), ELOOP);
    QCOMPARE(contents(real), QByteArray("ivan\r\n"));
}

void tst_FileWrite::appendCreatesThenWritesAtTheEnd()
{
    const QString log = m_dir->filePath(u"log.txt"_s);
    QCOMPARE(FileWrite::append(log, "first\r\n"), 0);
    QCOMPARE(FileWrite::append(log, "second\r\n"), 0);
    QCOMPARE(contents(log), QByteArray("first\r\nsecond\r\n"));
    QCOMPARE(FileWrite::append(m_dir->filePath(u"gone/log.txt"_s), "x"), ENOENT);
}

void tst_FileWrite::appendWhereTheClientCannotWriteIntoAFile()
{
    faults.noWriteIntoExisting = true;
    const QString log = m_dir->filePath(u"log.txt"_s);
    QCOMPARE(FileWrite::append(log, "first\r\n"), 0);
    QCOMPARE(FileWrite::append(log, "second\r\n"), 0);
    QCOMPARE(FileWrite::append(log, "third\r\n"), 0);
    QCOMPARE(contents(log), QByteArray("first\r\nsecond\r\nthird\r\n"));
    QCOMPARE(files(), QStringList{u"log.txt"_s});
}

void tst_FileWrite::refusedRenamesWaitedOut_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("removeFirst");
    QTest::addColumn<int>("refusals");
    // Another machine has the old file open while the client removes it and
    // renames the new one: the server keeps the name until it is closed.
    QTest::newRow("exists, old file removed first") << int(EEXIST) << true << 5;
    QTest::newRow("denied, old file removed first") << int(EACCES) << true << 5;
    QTest::newRow("busy") << int(EBUSY) << false << 5;
    QTest::newRow("input/output errors of a client restarting") << int(EIO) << false << 5;
}

void tst_FileWrite::refusedRenamesWaitedOut()
{
    QFETCH(int, error);
    QFETCH(bool, removeFirst);
    QFETCH(int, refusals);
    QVERIFY(put(target(), "ivan\r\n"));
    faults.renameError = error;
    faults.removeTargetFirst = removeFirst;
    faults.renameRefusals = refusals;
    QCOMPARE(FileWrite::replace(target(), "ivan\r\npetr\r\n"), 0);
    QCOMPARE(faults.renameRefusals, 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::renameThatNeverLands_data()
{
    QTest::addColumn<bool>("removeFirst");
    QTest::newRow("old file kept") << false;
    QTest::newRow("old file removed by the client") << true;
}

void tst_FileWrite::renameThatNeverLands()
{
    QFETCH(bool, removeFirst);
    QVERIFY(put(target(), "ivan\r\n"));
    faults.renameError = EXDEV;
    faults.removeTargetFirst = removeFirst;
    faults.renameRefusals = 1;
    QCOMPARE(FileWrite::replace(target(), "ivan\r\npetr\r\n"), EXDEV);
    if (!removeFirst) {
        // Nothing changed.
        QCOMPARE(contents(target()), QByteArray("ivan\r\n"));
        QCOMPARE(files(), QStringList{u"users"_s});
        return;
    }
    // The new file beside the missing one is the only whole copy: kept, read
    // in the file's place, and put there by the next writer.
    QCOMPARE(files(), QStringList{u"users.new"_s});
    QByteArray read;
    QCOMPARE(FileRead::read(target(), &read), 0);
    QCOMPARE(read, QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(FileWrite::recover(target()), 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::sideFileBesideAMissingFileIsTheFile()
{
    // A replacement and an append after a rename that did not land start
    // from the records beside the missing file, never from nothing.
    QVERIFY(put(FileWrite::sideName(target()), "ivan\r\n"));
    QCOMPARE(FileWrite::append(target(), "petr\r\n"), 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(files(), QStringList{u"users"_s});
    QVERIFY(QFile::remove(target()));
    QVERIFY(put(FileWrite::sideName(target()), "ivan\r\n"));
    QCOMPARE(FileWrite::recover(target()), 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\n"));
    QCOMPARE(files(), QStringList{u"users"_s});
}

void tst_FileWrite::inputOutputErrorsWaitedOut()
{
    QVERIFY(put(target(), "ivan\r\n"));
    faults.openIoErrors = 20;
    QByteArray read;
    QCOMPARE(FileRead::read(target(), &read), 0);
    QCOMPARE(read, QByteArray("ivan\r\n"));
    faults.openIoErrors = 20;
    QCOMPARE(FileWrite::append(target(), "petr\r\n"), 0);
    QCOMPARE(contents(target()), QByteArray("ivan\r\npetr\r\n"));
    QCOMPARE(FileRead::read(m_dir->filePath(u"gone"_s), &read), ENOENT);
}

QTEST_GUILESS_MAIN(tst_FileWrite)
#include "tst_filewrite.moc"
