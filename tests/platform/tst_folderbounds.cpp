// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLock.h"
#include "FileRead.h"
#include "FileWrite.h"
#include "FolderBounds.h"
#include "IniProfile.h"
#include "IniSnapshot.h"
#include "LinkSwapper.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TempWorkDir.h"
#include "TextFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

// The course folder as the boundary of the records: links inside it work,
// links out of it or to nothing are refused, and a folder or file swapped for
// a link while a write is under way never carries the write outside.
class tst_FolderBounds : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recordPath_data();
    void recordPath();
    void isInside_data();
    void isInside();
    void directoryOutsideTheFolderOpensAsNamed();
    void swappedFileNeverCarriesAReplacementOut();
    void swappedFolderNeverCarriesAWriteOut();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_outside;
    QString outside(const QString &name) const { return m_outside->filePath(name); }
};

void tst_FolderBounds::init()
{
    m_outside = std::make_unique<QTemporaryDir>();
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
    QVERIFY(m_outside->isValid());
    QVERIFY(m_dir->write(u"data/info/tumb.db"_s, "admin|pw|log.txt\r\n"));
    QVERIFY(TempWorkDir::writeFile(outside(u".bashrc"_s), "export PATH\n"));
}

void tst_FolderBounds::cleanup()
{
    m_dir.reset();
    m_outside.reset();
}

void tst_FolderBounds::recordPath_data()
{
    // A link made in the folder: its name, and where it points ("@out/" for
    // the folder outside, "@gone" for nothing). "" for none.
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    // "lock:" and a record's name: the lock taken for that record; "read:",
    // the record read.
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("written"); // "" when refused
    QTest::addColumn<QString>("refusal");

    QTest::newRow("plain file") << ""
                                << ""
                                << "users.ini"
                                << "users.ini"
                                << "";
    QTest::newRow("new file") << ""
                              << ""
                              << "data/tests/test3.ini"
                              << "data/tests/test3.ini"
                              << "";
    QTest::newRow("link inside kept") << "users.ini"
                                      << "data/real.ini"
                                      << "users.ini"
                                      << "data/real.ini"
                                      << "";
    QTest::newRow("relative link inside") << "users"
                                          << "data/../data/info/tumb.db"
                                          << "users"
                                          << "data/info/tumb.db"
                                          << "";
    QTest::newRow("folder link inside") << "data/tests"
                                        << "data/info"
                                        << "data/tests/x.ini"
                                        << "data/info/x.ini"
                                        << "";
    QTest::newRow("link to a file outside") << "users.ini"
                                            << "@out/.bashrc"
                                            << "users.ini"
                                            << ""
                                            << "за пределами папки курса";
    QTest::newRow("dangling link") << "users"
                                   << "@gone"
                                   << "users"
                                   << ""
                                   << "несуществующий файл";
    QTest::newRow("dangling link outside") << "users"
                                           << "@out/new"
                                           << "users"
                                           << ""
                                           << "несуществующий файл";
    QTest::newRow("folder link outside") << "data/info"
                                         << "@out/"
                                         << "data/info/tumb.db"
                                         << ""
                                         << "за пределами папки курса";
    QTest::newRow("dot dot out") << ""
                                 << ""
                                 << "../outside.txt"
                                 << ""
                                 << "за пределами папки курса";
    QTest::newRow("link to the folder's parent") << "up"
                                                 << "@up"
                                                 << "up/users.ini"
                                                 << ""
                                                 << "за пределами папки курса";
    QTest::newRow("lock in the folder") << ""
                                        << ""
                                        << "lock:data/info/tumb.db"
                                        << "data/info/tumb.db.lock/holder"
                                        << "";
    QTest::newRow("lock in a folder link inside") << "data/tests"
                                                  << "data/info"
                                                  << "lock:data/tests/x.ini"
                                                  << "data/info/x.ini.lock/holder"
                                                  << "";
    QTest::newRow("lock a link out") << "users.ini.lock"
                                     << "@out/"
                                     << "lock:users.ini"
                                     << ""
                                     << "за пределами папки курса";
    QTest::newRow("lock a dangling link") << "users.ini.lock"
                                          << "@out/made.lock"
                                          << "lock:users.ini"
                                          << ""
                                          << "несуществующий файл";
    QTest::newRow("lock in a folder link out") << "data/info"
                                               << "@out/"
                                               << "lock:data/info/tumb.db"
                                               << ""
                                               << "за пределами папки курса";
    QTest::newRow("read through a link inside") << "users.ini"
                                                << "data/real.ini"
                                                << "read:users.ini"
                                                << "data/real.ini"
                                                << "";
    QTest::newRow("read through a link out") << "users.ini"
                                             << "@out/.bashrc"
                                             << "read:users.ini"
                                             << ""
                                             << "за пределами папки курса";
    // "page:": a course page opened for the view, where no link is followed.
    QTest::newRow("page") << ""
                          << ""
                          << "page:data/Real.ini"
                          << "data/real.ini"
                          << "";
    QTest::newRow("page through a link out") << "users.ini"
                                             << "@out/.bashrc"
                                             << "page:users.ini"
                                             << ""
                                             << "ELOOP";
    QTest::newRow("page in a folder link inside") << "data/tests"
                                                  << "data/info"
                                                  << "page:data/tests/tumb.db"
                                                  << ""
                                                  << "ELOOP";
    QTest::newRow("page that is a folder") << ""
                                           << ""
                                           << "page:data"
                                           << ""
                                           << "EISDIR";
    QTest::newRow("lock with dot dot out") << ""
                                           << ""
                                           << "lock:data/../../users.ini"
                                           << ""
                                           << "за пределами папки курса";
}

void tst_FolderBounds::recordPath()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QString, record);
    QFETCH(QString, written);
    QFETCH(QString, refusal);
    QVERIFY(m_dir->write(u"data/real.ini"_s, "[a]\r\n"));
    if (!link.isEmpty()) {
        QString to = target;
        if (to.startsWith(u"@out/"_s))
            to = outside(to.mid(5));
        else if (to == u"@gone"_s)
            to = m_dir->filePath(u"nothing/here"_s);
        else if (to == u"@up"_s)
            to = QFileInfo(m_dir->path()).path();
        else
            to = m_dir->filePath(to);
        QDir(m_dir->filePath(link)).removeRecursively();
        QFile::remove(m_dir->filePath(link));
        QVERIFY(QFile::link(to, m_dir->filePath(link)));
    }
    if (record.startsWith(u"page:"_s)) {
        // Found without regard to letter case, as the view's pages are.
        const int fd = FolderBounds::openFile(Paths::resolve(record.mid(5)));
        const int error = errno;
        QByteArray data(64, 0);
        data.truncate(fd >= 0 ? qMax<ssize_t>(0, ::read(fd, data.data(), data.size())) : 0);
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(fd >= 0 ? data : QByteArray(::strerrorname_np(error)),
                 written.isEmpty() ? refusal.toLatin1() : m_dir->read(written));
        return;
    }
    const bool lock = record.startsWith(u"lock:"_s);
    const bool read = record.startsWith(u"read:"_s);
    // A lock is asked for as its callers ask, by the path as it is written.
    const QString path =
        lock || read ? m_dir->filePath(record.mid(5)) : QDir::cleanPath(m_dir->filePath(record));
    if (read) {
        // Each reader: the bytes, the profile, the snapshot of a test file.
        QVERIFY(m_dir->write(u"data/real.ini"_s, "[a]\r\nk=inside\r\n"));
        QVERIFY(TempWorkDir::writeFile(outside(u".bashrc"_s), "[a]\r\nk=outside\r\n"));
        const QByteArray value = written.isEmpty() ? "-" : "inside";
        QCOMPARE(IniProfile::read(path, "a", "k", "-"), value);
        QCOMPARE(IniSnapshot::load(path).read("a", "k", "-"), value);
        QByteArray data;
        QCOMPARE(FileRead::read(path, &data), written.isEmpty() ? EXDEV : 0);
    }
    if (written.isEmpty()) {
        try {
            if (lock) {
                const FileLock taken(path);
            } else if (read) {
                TextFile::read(path);
            } else {
                FolderBounds::recordPath(path);
            }
            QFAIL("a path out of the folder was taken");
        } catch (const RuntimeError &e) {
            QVERIFY2(e.message().contains(refusal), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(read ? u"Чтение"_s : u"Запись"_s),
                     qPrintable(e.message()));
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(path)), qPrintable(e.message()));
        }
        QCOMPARE(QDir(m_outside->path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u".bashrc"_s});
        QVERIFY(!QFileInfo::exists(QFileInfo(m_dir->path()).path() + u"/users.ini.lock"_s));
        return;
    }
    if (read) {
        QCOMPARE(TextFile::read(path), m_dir->read(written));
        return;
    }
    if (lock) {
        {
            const FileLock taken(path);
            QVERIFY(QFileInfo(m_dir->filePath(written)).isFile());
        }
        QVERIFY(!QFileInfo::exists(FileLock::lockPath(path)));
        return;
    }
    QCOMPARE(FolderBounds::recordPath(path),
             QFileInfo(m_dir->filePath(written)).absoluteFilePath());
}

void tst_FolderBounds::isInside_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("inside");
    QTest::newRow("relative") << "log.txt" << true;
    QTest::newRow("in a subfolder") << "data/info/log.txt" << true;
    QTest::newRow("dot dot that stays") << "data/../log.txt" << true;
    QTest::newRow("dot dot out") << "../log.txt" << false;
    QTest::newRow("absolute outside") << "@out/log.txt" << false;
    QTest::newRow("absolute inside") << "@in/log.txt" << true;
    QTest::newRow("link out") << "linked/log.txt" << false;
    QTest::newRow("folder itself") << "." << true;
}

void tst_FolderBounds::isInside()
{
    QFETCH(QString, name);
    QFETCH(bool, inside);
    QVERIFY(QFile::link(m_outside->path(), m_dir->filePath(u"linked"_s)));
    QString path = name;
    if (path.startsWith(u"@out/"_s))
        path = outside(path.mid(5));
    else if (path.startsWith(u"@in/"_s))
        path = m_dir->filePath(path.mid(4));
    else
        path = m_dir->filePath(path);
    QCOMPARE(FolderBounds::isInside(path), inside);
}

void tst_FolderBounds::directoryOutsideTheFolderOpensAsNamed()
{
    // Files the user names on the command line lie anywhere.
    const int fd = FolderBounds::openDirectory(m_outside->path());
    QVERIFY(fd >= 0);
    ::close(fd);
    QCOMPARE(FileWrite::replace(outside(u"report.html"_s), "<html>"), 0);
}

void tst_FolderBounds::swappedFileNeverCarriesAReplacementOut()
{
    const QString users = m_dir->filePath(u"users.ini"_s);
    QVERIFY(m_dir->write(u"users.ini"_s, "[ivan]\r\n"));
    int written = 0;
    {
        const LinkSwapper swapper(users, m_dir->filePath(u"users.ini.real"_s),
                                  outside(u".bashrc"_s));
        const QDeadlineTimer deadline(1500);
        while (!deadline.hasExpired()) {
            try {
                if (FileWrite::replace(FolderBounds::recordPath(users), "[petr]\r\n") == 0)
                    ++written;
            } catch (const RuntimeError &) {
                // Refused while the link stood there: the one right outcome.
            }
        }
        QVERIFY(swapper.swaps() > 0);
    }
    QVERIFY(written > 0);
    QFile bashrc(outside(u".bashrc"_s));
    QVERIFY(bashrc.open(QIODevice::ReadOnly));
    QCOMPARE(bashrc.readAll(), QByteArray("export PATH\n"));
}

void tst_FolderBounds::swappedFolderNeverCarriesAWriteOut()
{
    const QString info = m_dir->filePath(u"data/info"_s);
    const QString settings = m_dir->filePath(u"data/info/tumb.db"_s);
    const QString log = m_dir->filePath(u"data/info/log.txt"_s);
    int written = 0;
    int locked = 0;
    {
        const LinkSwapper swapper(info, m_dir->filePath(u"data/info.real"_s), m_outside->path());
        const QDeadlineTimer deadline(1500);
        while (!deadline.hasExpired()) {
            try {
                // Taken and released by the path as written, the folder
                // swapped meanwhile.
                const FileLock lock(settings);
                ++locked;
            } catch (const RuntimeError &) {
            }
            try {
                if (FileWrite::replace(FolderBounds::recordPath(settings), "a|b|c\r\n") == 0)
                    ++written;
                if (FileWrite::append(FolderBounds::recordPath(log), "line\r\n") == 0)
                    ++written;
            } catch (const RuntimeError &) {
            }
        }
        QVERIFY(swapper.swaps() > 0);
    }
    QVERIFY(written > 0);
    QVERIFY(locked > 0);
    QCOMPARE(
        QDir(m_outside->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList{u".bashrc"_s});
}

QTEST_GUILESS_MAIN(tst_FolderBounds)
#include "tst_folderbounds.moc"
