#include "Accounts.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

// Registration, login checks and removal as the login panel and the
// administrator's tool run them, on the files they leave behind.
class tst_Accounts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registrationWritesPasswordGradesAndList();
    void registrationRefusals_data();
    void registrationRefusals();
    void refusedRegistrationWritesNothing();
    void passwordChecks();
    void gradesReadAsLowEightBits_data();
    void gradesReadAsLowEightBits();
    void gradeThatIsNoNumberThrows();
    void removalWorksWithoutListEntry();
    void writeScoresFindsSectionInAnyCase();
    void registrationStopsAtRefusedListWrite();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_Accounts::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Accounts::cleanup()
{
    m_dir.reset();
}

void tst_Accounts::registrationWritesPasswordGradesAndList()
{
    const QByteArray name = "\xc8\xe2\xe0\xed";
    const QList<QByteArray> list = Accounts::registerUser(name, "pw 1");
    QCOMPARE(list, QList<QByteArray>{name});
    QCOMPARE(m_dir->read("users"), name + "\r\n");
    QCOMPARE(Store::read(name, "password", Accounts::UsersIni), QByteArray("pw 1"));
    QCOMPARE(Store::read(name, "test1", Accounts::UsersIni), QByteArray("1"));
    for (int k = 2; k <= 12; ++k)
        QCOMPARE(Store::read(name, Accounts::testKey(k), Accounts::UsersIni), QByteArray("0"));
    // The keys stand in the order of registration.
    const QByteArray ini = m_dir->read("users.ini");
    QVERIFY(ini.startsWith("[" + name + "]\r\npassword="));
    QVERIFY(ini.indexOf("test1=") < ini.indexOf("test2="));
    QVERIFY(ini.indexOf("test11=") < ini.indexOf("test12="));
    QCOMPARE(ini.count('\n'), 14);
}

void tst_Accounts::registrationRefusals_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("refusal");
    const auto r = [](Accounts::Refusal x) { return int(x); };
    QTest::newRow("fine") << QByteArray("anna") << r(Accounts::Refusal::None);
    QTest::newRow("inner blank fine") << QByteArray("anna k") << r(Accounts::Refusal::None);
    QTest::newRow("empty") << QByteArray() << r(Accounts::Refusal::EmptyName);
    QTest::newRow("open bracket") << QByteArray("a[b") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("close bracket") << QByteArray("a]b") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("leading blank") << QByteArray(" anna") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("trailing blank") << QByteArray("anna ") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("only blanks") << QByteArray("  ") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("administrator")
        << QByteArray("admin") << r(Accounts::Refusal::AdministratorName);
    QTest::newRow("registered") << QByteArray("boris") << r(Accounts::Refusal::AlreadyRegistered);
    QTest::newRow("registered other case")
        << QByteArray("BORIS") << r(Accounts::Refusal::AlreadyRegistered);
    QTest::newRow("registered cyrillic other case")
        << QByteArray("\xe2\xc5\xd0\xc0") << r(Accounts::Refusal::AlreadyRegistered);
}

void tst_Accounts::registrationRefusals()
{
    QFETCH(QByteArray, name);
    Accounts::registerUser("boris", "x");
    Accounts::registerUser("\xc2\xe5\xf0\xe0", "y");
    QFETCH(int, refusal);
    const Accounts::Refusal got = Accounts::checkRegistration(name, "admin");
    QCOMPARE(int(got), refusal);
    QCOMPARE(Accounts::refusalText(got).isEmpty(), got == Accounts::Refusal::None);
}

void tst_Accounts::refusedRegistrationWritesNothing()
{
    // With an empty administrator login nothing is the administrator's name.
    QCOMPARE(Accounts::checkRegistration("", ""), Accounts::Refusal::EmptyName);
    QCOMPARE(Accounts::checkRegistration("x", ""), Accounts::Refusal::None);
    QVERIFY(!QFileInfo::exists(m_dir->filePath("users.ini")));
    QVERIFY(!QFileInfo::exists(m_dir->filePath("users")));
}

void tst_Accounts::passwordChecks()
{
    Accounts::registerUser("Anna", "Secret");
    QVERIFY(Accounts::passwordMatches("Anna", "Secret"));
    QVERIFY(Accounts::passwordMatches("aNNA", "Secret"));
    QVERIFY(!Accounts::passwordMatches("Anna", "secret"));
    QVERIFY(!Accounts::passwordMatches("Anna", ""));
    QVERIFY(!Accounts::passwordMatches("nobody", "Secret"));
    QVERIFY(!Accounts::storedPassword("nobody").has_value());
    Accounts::registerUser("empty", "");
    QCOMPARE(Accounts::storedPassword("empty"), std::optional<QByteArray>(QByteArray()));
    QVERIFY(Accounts::passwordMatches("empty", ""));
}

void tst_Accounts::gradesReadAsLowEightBits_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("grade");
    QTest::newRow("0") << QByteArray("0") << 0;
    QTest::newRow("5") << QByteArray("5") << 5;
    QTest::newRow("300") << QByteArray("300") << 44;
    QTest::newRow("256") << QByteArray("256") << 0;
    QTest::newRow("-1") << QByteArray("-1") << 255;
}

void tst_Accounts::gradesReadAsLowEightBits()
{
    QFETCH(QByteArray, stored);
    Store::write("u", "test4", stored, Accounts::UsersIni);
    QTEST(int(Accounts::readGrade("U", 4)), "grade");
}

void tst_Accounts::gradeThatIsNoNumberThrows()
{
    Store::write("u", "test2", "4a", Accounts::UsersIni);
    try {
        Accounts::readGrade("u", 2);
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), QStringLiteral("'4a' is not a valid integer value"));
    }
    // A missing grade is the missing-value marker, which is no number either.
    QVERIFY_THROWS_EXCEPTION(RuntimeError, Accounts::readGrade("u", 3));
}

void tst_Accounts::removalWorksWithoutListEntry()
{
    Accounts::registerUser("anna", "1");
    Accounts::registerUser("boris", "2");
    UserList::save({"boris"});
    QCOMPARE(Accounts::removeUser("ANNA"), QList<QByteArray>{"boris"});
    QVERIFY(!Accounts::storedPassword("anna").has_value());
    QCOMPARE(Accounts::storedPassword("boris"), std::optional<QByteArray>("2"));
    QCOMPARE(m_dir->read("users"), QByteArray("boris\r\n"));
}

void tst_Accounts::writeScoresFindsSectionInAnyCase()
{
    Accounts::registerUser("Anna", "1");
    Accounts::Scores scores{};
    scores[0] = 5;
    scores[2] = 3;
    Accounts::writeScores("ANNA", scores);
    QCOMPARE(Store::read("anna", "test1", Accounts::UsersIni), QByteArray("5"));
    QCOMPARE(Store::read("anna", "test3", Accounts::UsersIni), QByteArray("3"));
    QCOMPARE(Store::read("anna", "test12", Accounts::UsersIni), QByteArray("0"));
    QVERIFY(!m_dir->read("users.ini").contains("[ANNA]"));
}

void tst_Accounts::registrationStopsAtRefusedListWrite()
{
    // A folder where the list file should be: the list cannot be written, so
    // the registration stops after the password and test1.
    QVERIFY(QDir(m_dir->path()).mkdir("users"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, Accounts::registerUser("anna", "pw"));
    QCOMPARE(Store::read("anna", "password", Accounts::UsersIni), QByteArray("pw"));
    QCOMPARE(Store::read("anna", "test1", Accounts::UsersIni), QByteArray("1"));
    QCOMPARE(Store::read("anna", "test2", Accounts::UsersIni), Store::missing());
}

QTEST_GUILESS_MAIN(tst_Accounts)
#include "tst_accounts.moc"
