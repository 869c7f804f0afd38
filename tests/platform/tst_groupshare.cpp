// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLock.h"
#include "FileWrite.h"
#include "GroupShare.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class tst_GroupShare : public QObject
{
    Q_OBJECT

private slots:
    void madeInFolder_data();
    void madeInFolder();
};

namespace {

enum class Made
{
    NewByReplace,
    NewByAppend,
    LockFolder,
    LockHolder,
    Replaced, // an old file of mode oldMode replaced
};

// A group other than the caller's, given to a folder without the set-group
// bit: what is made there must still go to the folder's group.
constexpr gid_t OtherGroup = 4242;

struct stat infoOf(const QString &path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

} // namespace

void tst_GroupShare::madeInFolder_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("otherGroup");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("made");
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<int>("expected");

    const int replace = int(Made::NewByReplace), append = int(Made::NewByAppend),
              lock = int(Made::LockFolder), holder = int(Made::LockHolder),
              replaced = int(Made::Replaced);
    QTest::newRow("shared, new file, umask 022") << 02775 << false << 022 << replace << 0 << 0664;
    QTest::newRow("shared, new file, umask 077") << 02775 << false << 077 << replace << 0 << 0660;
    QTest::newRow("shared, new log, umask 022") << 02775 << false << 022 << append << 0 << 0664;
    QTest::newRow("shared, new log, umask 077") << 02770 << false << 077 << append << 0 << 0660;
    QTest::newRow("shared, lock folder, umask 022") << 02775 << false << 022 << lock << 0 << 02775;
    QTest::newRow("shared, lock holder, umask 077") << 02775 << false << 077 << holder << 0 << 0660;
    QTest::newRow("shared, replaced 0644") << 02775 << false << 022 << replaced << 0644 << 0664;
    QTest::newRow("shared, replaced 0400") << 02775 << false << 022 << replaced << 0400 << 0440;
    QTest::newRow("shared without set-group bit, other group, new file")
        << 0775 << true << 022 << replace << 0 << 0664;
    QTest::newRow("shared without set-group bit, other group, lock folder")
        << 0775 << true << 022 << lock << 0 << 0775;
    QTest::newRow("private, new file, umask 022") << 0755 << false << 022 << replace << 0 << 0644;
    QTest::newRow("private, new log, umask 077") << 0755 << false << 077 << append << 0 << 0600;
    QTest::newRow("private, lock folder, umask 022") << 0755 << false << 022 << lock << 0 << 0755;
    QTest::newRow("private, replaced 0640") << 0755 << false << 022 << replaced << 0640 << 0640;
}

void tst_GroupShare::madeInFolder()
{
    QFETCH(int, folderMode);
    QFETCH(bool, otherGroup);
    QFETCH(int, mask);
    QFETCH(int, made);
    QFETCH(int, oldMode);
    QFETCH(int, expected);
    if (otherGroup && ::geteuid() != 0)
        QSKIP("giving the folder a group this account is not in needs root");

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString dir = tmp.filePath(u"class"_s);
    QVERIFY(QDir().mkpath(dir));
    const QByteArray dirName = QFile::encodeName(dir);
    if (otherGroup)
        QVERIFY(::chown(dirName.constData(), uid_t(-1), OtherGroup) == 0);
    QVERIFY(::chmod(dirName.constData(), mode_t(folderMode)) == 0);
    const gid_t group = infoOf(dir).st_gid;
    const QString file = dir + u"/users.ini"_s;

    if (Made(made) == Made::Replaced) {
        QCOMPARE(FileWrite::replace(file, "[a]\r\n"), 0);
        QVERIFY(::chmod(QFile::encodeName(file).constData(), mode_t(oldMode)) == 0);
    }
    const mode_t oldMask = ::umask(mode_t(mask));
    QString madePath = file;
    switch (Made(made)) {
    case Made::NewByReplace:
    case Made::Replaced:
        QCOMPARE(FileWrite::replace(file, "[b]\r\n"), 0);
        break;
    case Made::NewByAppend:
        QCOMPARE(FileWrite::append(file, "line\r\n"), 0);
        break;
    case Made::LockFolder:
    case Made::LockHolder: {
        const FileLock held(file);
        madePath = FileLock::lockPath(file);
        if (Made(made) == Made::LockHolder)
            madePath += u"/holder"_s;
        const struct stat info = infoOf(madePath);
        ::umask(oldMask);
        QCOMPARE(int(info.st_mode & 07777), expected);
        QCOMPARE(info.st_gid, group);
        return;
    }
    }
    ::umask(oldMask);
    const struct stat info = infoOf(madePath);
    QCOMPARE(int(info.st_mode & 07777), expected);
    QCOMPARE(info.st_gid, group);
}

QTEST_GUILESS_MAIN(tst_GroupShare)
#include "tst_groupshare.moc"
