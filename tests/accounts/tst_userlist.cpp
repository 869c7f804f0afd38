// SPDX-License-Identifier: GPL-3.0-or-later
#include "RuntimeError.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <memory>

class tst_UserList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadSplitsAtEveryLineEnd_data();
    void loadSplitsAtEveryLineEnd();
    void saveWritesCrLfAfterEveryName();
    void missingFileRaisesCannotOpen();
    void saveIntoMissingFolderRaisesCannotCreate();
    void addAndRemoveWorkOnTheFileAsItIs();
    void removeIgnoresLetterCaseAndTakesFirst();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_UserList::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
}

void tst_UserList::cleanup()
{
    m_dir.reset();
}

void tst_UserList::loadSplitsAtEveryLineEnd_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::newRow("empty") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QList<QByteArray>{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"};
    QTest::newRow("no final end") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("blank line kept")
        << QByteArray("a\r\n\r\nb\r\n") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("cyrillic") << QByteArray("\xc8\xe2\xe0\xed \xcf.\r\n")
                              << QList<QByteArray>{"\xc8\xe2\xe0\xed \xcf."};
}

void tst_UserList::loadSplitsAtEveryLineEnd()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<QByteArray>, names);
    m_dir->write("users", data);
    QCOMPARE(UserList::load(), names);
}

void tst_UserList::saveWritesCrLfAfterEveryName()
{
    UserList::save({"anna", "", "\xc8\xe2\xe0\xed"});
    QCOMPARE(m_dir->read("users"), QByteArray("anna\r\n\r\n\xc8\xe2\xe0\xed\r\n"));
    UserList::save({});
    QCOMPARE(m_dir->read("users"), QByteArray());
}

void tst_UserList::missingFileRaisesCannotOpen()
{
    QVERIFY(!UserList::exists());
    try {
        UserList::load();
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Cannot open file \"")),
                 qPrintable(e.message()));
        QVERIFY(e.message().contains(QDir::toNativeSeparators(m_dir->filePath("users"))));
    }
}

void tst_UserList::saveIntoMissingFolderRaisesCannotCreate()
{
    // A folder standing where the file should be refuses the write, for root too.
    QVERIFY(QDir(m_dir->path()).mkdir("users"));
    try {
        UserList::save({"a"});
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Cannot create file \"")),
                 qPrintable(e.message()));
    }
    QVERIFY(QFileInfo(m_dir->filePath("users")).isDir());
}

void tst_UserList::addAndRemoveWorkOnTheFileAsItIs()
{
    QCOMPARE(UserList::add("anna"), QList<QByteArray>{"anna"});
    // Another running copy registers meanwhile.
    m_dir->write("users", "anna\r\nboris\r\n");
    QCOMPARE(UserList::add("vera"), (QList<QByteArray>{"anna", "boris", "vera"}));
    QCOMPARE(m_dir->read("users"), QByteArray("anna\r\nboris\r\nvera\r\n"));
    QCOMPARE(UserList::remove("boris"), (QList<QByteArray>{"anna", "vera"}));
    QCOMPARE(m_dir->read("users"), QByteArray("anna\r\nvera\r\n"));
}

void tst_UserList::removeIgnoresLetterCaseAndTakesFirst()
{
    m_dir->write("users", "\xc8\xe2\xe0\xed\r\nx\r\n\xe8\xc2\xc0\xcd\r\n");
    QCOMPARE(UserList::remove("\xc8\xc2\xc0\xcd"), (QList<QByteArray>{"x", "\xe8\xc2\xc0\xcd"}));
    QCOMPARE(UserList::remove("nobody"), (QList<QByteArray>{"x", "\xe8\xc2\xc0\xcd"}));
    QCOMPARE(m_dir->read("users"), QByteArray("x\r\n\xe8\xc2\xc0\xcd\r\n"));
}

QTEST_GUILESS_MAIN(tst_UserList)
#include "tst_userlist.moc"
