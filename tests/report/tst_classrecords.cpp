// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "ClassFolder.h"
#include "ClassRecords.h"
#include "FolderStore.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QTest>
#include <memory>

class tst_ClassRecords : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gradesReadAsTheProgressViewReadsThem_data();
    void gradesReadAsTheProgressViewReadsThem();
    void listAndRecordsComparedWithoutLetterCase();
    void missingFilesAreReportedNotThrown();
    void firstOfTwoEqualSectionsCounts();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_ClassRecords::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_ClassRecords::cleanup()
{
    m_dir.reset();
}

void tst_ClassRecords::gradesReadAsTheProgressViewReadsThem_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("grade") << QByteArray("4");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("above a byte") << QByteArray("300");
    QTest::newRow("negative") << QByteArray("-1");
    QTest::newRow("plus sign") << QByteArray("+5");
    QTest::newRow("letters") << QByteArray("abc");
    QTest::newRow("blank inside") << QByteArray("4 5");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("too large") << QByteArray("99999999999");
}

void tst_ClassRecords::gradesReadAsTheProgressViewReadsThem()
{
    QFETCH(QByteArray, stored);
    ClassFolder folder;
    const QByteArray name = "\xC0\xED\xED\xE0"; // "Анна"
    folder.registerUser(name);
    folder.storeGrade(name, 7, stored);

    const ClassRecords records = ClassRecords::read(FolderStore(QDir::currentPath()));
    QCOMPARE(records.users.size(), 1);
    const ClassRecords::User &user = records.users.first();
    QVERIFY(user.hasRecord);
    for (int k = 1; k <= ClassRecords::Tests; ++k) {
        std::optional<quint8> expected;
        try {
            expected = Accounts::readGrade(name, k);
        } catch (const RuntimeError &) {
        }
        QCOMPARE(user.grades[k - 1], expected);
    }
    const bool unreadable = !user.grades[6];
    QCOMPARE(records.badGrades.size(), unreadable ? 1 : 0);
    if (unreadable) {
        QCOMPARE(records.badGrades.first().test, 7);
        QCOMPARE(records.badGrades.first().stored, stored);
        QVERIFY(!records.badGrades.first().missing);
    }
}

void tst_ClassRecords::listAndRecordsComparedWithoutLetterCase()
{
    ClassFolder folder;
    folder.registerUser("anna");
    folder.registerUser("boris");
    // A name in the list in other letters, a listed name without a record, a
    // record nobody listed, a name listed twice, a record lacking a key.
    UserList::save({"ANNA", "vera", "boris", "Boris"});
    Store::write("gleb", "test1", "3", Accounts::UsersIni);
    Store::eraseSection("boris", Accounts::UsersIni);
    Store::write("boris", "test2", "5", Accounts::UsersIni);

    const ClassRecords records = ClassRecords::read(FolderStore(QDir::currentPath()));
    QCOMPARE(records.users.size(), 3);
    QCOMPARE(records.users[0].name, QByteArray("ANNA"));
    QVERIFY(records.users[0].hasRecord);
    QCOMPARE(records.users[0].grades[0], std::optional<quint8>(1));
    QVERIFY(!records.users[1].hasRecord);
    QCOMPARE(records.withoutRecord, QList<QByteArray>{"vera"});
    QCOMPARE(records.unlisted, QList<QByteArray>{"gleb"});
    QCOMPARE(records.repeated, QList<QByteArray>{"Boris"});
    // boris's record has test2 only: nine grades missing, each listed.
    QCOMPARE(records.users[2].grades[1], std::optional<quint8>(5));
    QCOMPARE(records.badGrades.size(), 9);
    for (const ClassRecords::BadGrade &bad : records.badGrades) {
        QCOMPARE(bad.user, QByteArray("boris"));
        QVERIFY(bad.missing);
        QVERIFY(bad.test != 2);
    }
    QVERIFY(records.fileErrors.isEmpty());
}

void tst_ClassRecords::missingFilesAreReportedNotThrown()
{
    ClassRecords records = ClassRecords::read(FolderStore(QDir::currentPath()));
    QVERIFY(records.users.isEmpty());
    QCOMPARE(records.fileErrors.size(), 1);
    QVERIFY(records.fileErrors.first().contains(QStringLiteral("users")));

    // A new installation: an empty list and no users.ini yet.
    UserList::save({});
    QVERIFY(ClassRecords::read(FolderStore(QDir::currentPath())).fileErrors.isEmpty());

    UserList::save({"anna"});
    records = ClassRecords::read(FolderStore(QDir::currentPath()));
    QCOMPARE(records.fileErrors.size(), 1);
    QVERIFY(records.fileErrors.first().contains(QStringLiteral("users.ini")));
    QCOMPARE(records.withoutRecord, QList<QByteArray>{"anna"});
}

void tst_ClassRecords::firstOfTwoEqualSectionsCounts()
{
    QVERIFY(m_dir->write("users", "anna\r\n"));
    const QByteArray four = Store::encode("4");
    const QByteArray two = Store::encode("2");
    QVERIFY(m_dir->write("users.ini", "[Anna]\r\ntest1=" + four + "\r\n[ANNA]\r\ntest1=" + two +
                                          "\r\ntest2=" + two + "\r\n"));
    const ClassRecords records = ClassRecords::read(FolderStore(QDir::currentPath()));
    QCOMPARE(records.users.first().grades[0],
             std::optional<quint8>(Accounts::readGrade("anna", 1)));
    QVERIFY(!records.users.first().grades[1]);
    QVERIFY(records.unlisted.isEmpty());
}

QTEST_GUILESS_MAIN(tst_ClassRecords)
#include "tst_classrecords.moc"
