// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(Accounts::Refusal)

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
    void writeScoresNeverBringsBackARemovedUser();
    void passwordRefusals_data();
    void passwordRefusals();
    void spellingRefusals();
    void refusalTexts_data();
    void refusalTexts();
    void refusedListWriteLeavesNoHalfRegistration_data();
    void refusedListWriteLeavesNoHalfRegistration();
    void missingRecordsNeverWrittenFromNothing_data();
    void missingRecordsNeverWrittenFromNothing();
    void linksOutOfTheFolderAreRefused_data();
    void linksOutOfTheFolderAreRefused();

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
    const QList<QByteArray> list = Accounts::registerUser(name, "pw 1").list;
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
    QTest::newRow("tab inside") << QByteArray("a\tb") << r(Accounts::Refusal::UnstorableName);
    QTest::newRow("control byte") << QByteArray("a\x1f") << r(Accounts::Refusal::UnstorableName);
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
    // The registration itself refuses the same, without writing.
    const QByteArray ini = m_dir->read("users.ini");
    const Accounts::Registration registration = Accounts::registerUser(name, "pw", "admin");
    QCOMPARE(int(registration.refusal), refusal);
    if (got != Accounts::Refusal::None)
        QCOMPARE(m_dir->read("users.ini"), ini);
}

void tst_Accounts::passwordRefusals_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("refusal");
    const auto r = [](Accounts::Refusal x) { return int(x); };
    QTest::newRow("plain") << QByteArray("secret") << r(Accounts::Refusal::None);
    QTest::newRow("longest a read returns")
        << QByteArray(IniProfile::MaxValueLength, 'x') << r(Accounts::Refusal::None);
    QTest::newRow("tab is kept") << QByteArray("a\tb") << r(Accounts::Refusal::None);
    QTest::newRow("missing marker")
        << Store::missing() << r(Accounts::Refusal::MissingMarkerPassword);
    QTest::newRow("one byte too long")
        << QByteArray(IniProfile::MaxValueLength + 1, 'x') << r(Accounts::Refusal::LongPassword);
    // These scramble to CR, LF and NUL.
    QTest::newRow("scrambles to CR")
        << QByteArray("a\x13") << r(Accounts::Refusal::UnstorablePassword);
    QTest::newRow("scrambles to LF")
        << QByteArray("\x14") << r(Accounts::Refusal::UnstorablePassword);
    QTest::newRow("scrambles to NUL")
        << QByteArray("b\x1e") << r(Accounts::Refusal::UnstorablePassword);
}

void tst_Accounts::passwordRefusals()
{
    QFETCH(QByteArray, password);
    QFETCH(int, refusal);
    const Accounts::Registration registration = Accounts::registerUser("anna", password);
    QCOMPARE(int(registration.refusal), refusal);
    QCOMPARE(Accounts::refusalText(registration.refusal).isEmpty(),
             registration.refusal == Accounts::Refusal::None);
    if (registration.refusal == Accounts::Refusal::None) {
        QVERIFY(Accounts::passwordMatches("anna", password));
    } else {
        QVERIFY(!QFileInfo::exists(m_dir->filePath("users.ini")));
        QVERIFY(!QFileInfo::exists(m_dir->filePath("users")));
    }
}

void tst_Accounts::spellingRefusals()
{
    QCOMPARE(Accounts::checkSpelling(QStringLiteral("Анна"), QStringLiteral("пароль")),
             Accounts::Refusal::None);
    QCOMPARE(Accounts::checkSpelling(QStringLiteral("测试"), QStringLiteral("pw")),
             Accounts::Refusal::ForeignLetters);
    QCOMPARE(Accounts::checkSpelling(QStringLiteral("anna"), QStringLiteral("p\u4e00w")),
             Accounts::Refusal::ForeignPasswordLetters);
}

// The texts the login panel shows, byte for byte.
void tst_Accounts::refusalTexts_data()
{
    QTest::addColumn<Accounts::Refusal>("refusal");
    QTest::addColumn<QString>("text");
    using R = Accounts::Refusal;
    QTest::newRow("empty name") << R::EmptyName << QStringLiteral("Введите имя пользователя.");
    QTest::newRow("registered") << R::AlreadyRegistered
                                << QStringLiteral(
                                       "Пользователь с таким именем уже зарегистрирован.");
    QTest::newRow("missing marker")
        << R::MissingMarkerPassword
        << QStringLiteral("Пароль \"??????\" нельзя использовать: программа прочтёт его как "
                          "отсутствующий. Выберите другой пароль.");
    QTest::newRow("password letters")
        << R::ForeignPasswordLetters
        << QStringLiteral("Пароль содержит знаки, которые нельзя сохранить. Используйте русские и "
                          "латинские буквы, цифры и обычные знаки.");
}

void tst_Accounts::refusalTexts()
{
    QFETCH(Accounts::Refusal, refusal);
    QFETCH(QString, text);
    QCOMPARE(CodePage::toUnicode(Accounts::refusalText(refusal)), text);
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
    QVERIFY(Accounts::writeScores("ANNA", scores));
    QCOMPARE(Store::read("anna", "test1", Accounts::UsersIni), QByteArray("5"));
    QCOMPARE(Store::read("anna", "test3", Accounts::UsersIni), QByteArray("3"));
    QCOMPARE(Store::read("anna", "test12", Accounts::UsersIni), QByteArray("0"));
    QVERIFY(!m_dir->read("users.ini").contains("[ANNA]"));
}

void tst_Accounts::writeScoresNeverBringsBackARemovedUser()
{
    Accounts::registerUser("anna", "1");
    Accounts::registerUser("boris", "2");
    Accounts::removeUser("anna");
    const QByteArray ini = m_dir->read("users.ini");
    QVERIFY(!Accounts::writeScores("anna", Accounts::Scores{5, 5}));
    QCOMPARE(m_dir->read("users.ini"), ini);
    QCOMPARE(int(Accounts::registerUser("anna", "new").refusal), int(Accounts::Refusal::None));
}

void tst_Accounts::refusedListWriteLeavesNoHalfRegistration_data()
{
    QTest::addColumn<bool>("listIsFolder");
    QTest::newRow("a folder where the list should be") << true;
    // Refused for root as well: no write bit counts as read-only.
    QTest::newRow("read-only list") << false;
}

void tst_Accounts::refusedListWriteLeavesNoHalfRegistration()
{
    QFETCH(bool, listIsFolder);
    Accounts::registerUser("boris", "b");
    const QString list = m_dir->filePath("users");
    if (listIsFolder) {
        QVERIFY(QFile::remove(list));
        QVERIFY(QDir(m_dir->path()).mkdir("users"));
    } else {
        QVERIFY(QFile::setPermissions(list, QFile::ReadOwner | QFile::ReadGroup));
    }
    const QByteArray ini = m_dir->read("users.ini");
    try {
        Accounts::registerUser("anna", "pw");
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Cannot create file")),
                 qPrintable(e.message()));
    }
    QCOMPARE(m_dir->read("users.ini"), ini);
    if (!listIsFolder) {
        QCOMPARE(m_dir->read("users"), QByteArray("boris\r\n"));
        QCOMPARE(QFileInfo(list).permissions() & QFile::WriteOwner, QFile::Permissions());
        QVERIFY(QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner));
    } else {
        QVERIFY(QDir(m_dir->path()).rmdir("users"));
    }
    // Nothing of the refused registration stands in the way of the next one.
    QCOMPARE(int(Accounts::registerUser("anna", "pw").refusal), int(Accounts::Refusal::None));
    QVERIFY(Accounts::passwordMatches("anna", "pw"));
}

void tst_Accounts::missingRecordsNeverWrittenFromNothing_data()
{
    QTest::addColumn<bool>("sideFile");
    QTest::newRow("a replacement's new file beside it") << true;
    QTest::newRow("nothing beside it, the list names users") << false;
}

void tst_Accounts::missingRecordsNeverWrittenFromNothing()
{
    QFETCH(bool, sideFile);
    QCOMPARE(Accounts::registerUser("ivan", "pw1").refusal, Accounts::Refusal::None);
    QCOMPARE(Accounts::registerUser("petr", "pw2").refusal, Accounts::Refusal::None);
    const QString ini = m_dir->filePath("users.ini");
    if (sideFile)
        QVERIFY(QFile::rename(ini, ini + ".new"));
    else
        QVERIFY(QFile::remove(ini));
    if (sideFile) {
        QCOMPARE(Accounts::registerUser("anna", "pw3").refusal, Accounts::Refusal::None);
        for (const QByteArray name : {"ivan", "petr", "anna"})
            QVERIFY2(Accounts::storedPassword(name).has_value(), name.constData());
        QVERIFY(!QFileInfo::exists(ini + ".new"));
        QCOMPARE(UserList::load(), (QList<QByteArray>{"ivan", "petr", "anna"}));
        return;
    }
    QString message;
    try {
        Accounts::registerUser("anna", "pw3");
    } catch (const RuntimeError &e) {
        message = e.message();
    }
    QVERIFY2(message.startsWith("Unable to write to "), qPrintable(message));
    QVERIFY(!QFileInfo::exists(ini));
    QCOMPARE(UserList::load(), (QList<QByteArray>{"ivan", "petr"}));
}

void tst_Accounts::linksOutOfTheFolderAreRefused_data()
{
    // Which record is a link, and where to: "@out" a file of another user,
    // "@moved" the record itself moved out of the folder, "@gone" nothing,
    // else a file inside the folder.
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("registered");
    QTest::newRow("users.ini to a file outside") << "users.ini"
                                                 << "@out" << false;
    QTest::newRow("users to a file outside") << "users"
                                             << "@out" << false;
    QTest::newRow("users.ini read from outside") << "users.ini"
                                                 << "@moved" << false;
    QTest::newRow("users read from outside") << "users"
                                             << "@moved" << false;
    QTest::newRow("users.ini dangling") << "users.ini"
                                        << "@gone" << false;
    QTest::newRow("users dangling") << "users"
                                    << "@gone" << false;
    QTest::newRow("users.ini inside") << "users.ini"
                                      << "data/class.ini" << true;
    QTest::newRow("users inside") << "users"
                                  << "data/class.txt" << true;
}

void tst_Accounts::linksOutOfTheFolderAreRefused()
{
    QFETCH(QString, record);
    QFETCH(QString, target);
    QFETCH(bool, registered);
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    const QString bashrc = outside.filePath(".bashrc");
    QVERIFY(TempWorkDir::writeFile(bashrc, "export PATH\n"));
    QVERIFY(m_dir->write("data/class.ini", ""));
    QVERIFY(m_dir->write("data/class.txt", ""));
    if (target == "@moved") {
        Accounts::registerUser("petr", "pw");
        QVERIFY(QFile::rename(m_dir->filePath(record), outside.filePath(record)));
        QVERIFY(QFile::link(outside.filePath(record), m_dir->filePath(record)));
        // Read as if missing: no login, no list, and the list says why.
        if (record == "users.ini") {
            QVERIFY(!Accounts::passwordMatches("petr", "pw"));
        } else {
            try {
                UserList::load();
                QFAIL("the list was read from outside the folder");
            } catch (const RuntimeError &e) {
                QVERIFY2(e.message().startsWith("Чтение"), qPrintable(e.message()));
            }
        }
        return;
    }
    const QString to = target == "@out"    ? bashrc
                       : target == "@gone" ? outside.filePath("created")
                                           : m_dir->filePath(target);
    QVERIFY(QFile::link(to, m_dir->filePath(record)));
    if (registered) {
        Accounts::registerUser("petr", "pw");
        QVERIFY(QFileInfo(m_dir->filePath(record)).isSymLink());
        QVERIFY(m_dir->read(target).contains("petr"));
        QVERIFY(Accounts::passwordMatches("petr", "pw"));
        QCOMPARE(Accounts::removeUser("petr"), QList<QByteArray>());
        QVERIFY(!m_dir->read(target).contains("petr"));
        return;
    }
    try {
        Accounts::registerUser("petr", "pw");
        QFAIL("registered through a link out of the folder");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(m_dir->filePath(record))),
                 qPrintable(e.message()));
    }
    if (record == "users.ini")
        QVERIFY_THROWS_EXCEPTION(RuntimeError, Accounts::writeScores("petr", {}));
    QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{".bashrc"});
    QFile f(bashrc);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("export PATH\n"));
}

QTEST_GUILESS_MAIN(tst_Accounts)
#include "tst_accounts.moc"
