#include "FileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(tst_FileWrite)
#include "tst_filewrite.moc"
