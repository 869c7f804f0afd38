// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "DateTimeFormat.h"
#include "FolderStore.h"
#include "MemoryStore.h"
#include "RuntimeError.h"
#include "Session.h"
#include "Store.h"
#include "StoredUser.h"
#include "TempWorkDir.h"
#include "TestFileMaker.h"
#include "TestRun.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using Scores = Session::Scores;
using Result = Session::LoginResult;

QByteArray cp(const QString &text)
{
    return CodePage::fromUnicode(text);
}

QByteArray grade(const QByteArray &user, int k)
{
    return Store::read(user, Accounts::testKey(k), Accounts::UsersIni);
}

// Test k of ten questions taken to its end, the first `right` answers right;
// the callers check the grade it gives.
TestRun finishedRun(const ClassStore &store, int k, int right)
{
    const QByteArray name = Accounts::testKey(k);
    const QByteArray digits = "1234512345";
    TestFileMaker::write(name, digits);
    TestRun run;
    run.start(store, name);
    for (int i = 0; i < digits.size(); ++i) {
        const int digit = digits.at(i) - '0';
        run.answer(i < right ? digit : digit % TestRun::AnswerCount + 1);
    }
    return run;
}

} // namespace

Q_DECLARE_METATYPE(Accounts::Refusal)
Q_DECLARE_METATYPE(Session::LoginResult)
Q_DECLARE_METATYPE(Session::Scores)

class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startLoadsInOrder();
    void startWithoutListOrSettings_data();
    void startWithoutListOrSettings();
    void startClearsWriteBack();

    void registration();
    void registrationRefused_data();
    void registrationRefused();
    void refusedListWriteReloadsTheList();

    void studentLogin_data();
    void studentLogin();
    void refusedLogin_data();
    void refusedLogin();
    void administratorLogin();
    void nonNumericGradeStopsLogin();

    void removal_data();
    void removal();
    void removalRefused();

    void pickReadsTheFileEachTime();
    void pickNonNumeric();

    void runEnd();
    void runEndUnlocksEveryPassedTest();
    void runEndWithLogThatCannotBeAppended_data();
    void runEndWithLogThatCannotBeAppended();
    void administratorRunIsNotStored();
    void writeBackOfRemovedUser();
    void rulesHoldOnAnyStore();
    void settingsSave();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<FolderStore> m_store;
};

void tst_Session::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
    QVERIFY(m_dir->write(u"data/info/tumb.db"_s, "admin|secret|log.txt\r\n"));
    m_store = std::make_unique<FolderStore>(m_dir->path());
}

void tst_Session::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void tst_Session::startLoadsInOrder()
{
    QVERIFY(m_dir->write(u"users"_s, "anna\r\nboris\r\n"));
    Session session(*m_store);
    QStringList sent;
    connect(&session, &Session::usersChanged, this, [&] {
        sent.append(u"users"_s);
        QCOMPARE(session.userList(), QList<QByteArray>({"anna", "boris"}));
    });
    connect(&session, &Session::awaitingLogin, this, [&] { sent.append(u"login"_s); });
    connect(&session, &Session::settingsRead, this, [&] {
        sent.append(u"settings"_s);
        QCOMPARE(session.adminSettings().logName, QByteArray("log.txt"));
    });
    session.start();
    QCOMPARE(sent, QStringList({u"users"_s, u"login"_s, u"settings"_s}));
    QCOMPARE(session.adminSettings().login, QByteArray("admin"));
    QCOMPARE(session.adminSettings().password, QByteArray("secret"));
    QVERIFY(session.userName().isEmpty());
    QCOMPARE(session.scores(), Scores{});
}

void tst_Session::startWithoutListOrSettings_data()
{
    QTest::addColumn<bool>("listReadable");
    QTest::addColumn<QByteArray>("list"); // null: no list file
    QTest::addColumn<bool>("settingsThere");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first run: no list yet") << true << QByteArray() << true << QString()
                                            << QStringList({u"users"_s, u"login"_s, u"settings"_s});
    QTest::newRow("no settings file, the list is read")
        << true << QByteArray("anna\r\nboris\r\n") << false << u"File not found"_s
        << QStringList({u"users"_s, u"login"_s});
    QTest::newRow("a folder in the list's place")
        << false << QByteArray() << true << u"Cannot open file"_s << QStringList();
}

void tst_Session::startWithoutListOrSettings()
{
    QFETCH(bool, listReadable);
    QFETCH(QByteArray, list);
    QFETCH(bool, settingsThere);
    QFETCH(QString, failure);
    QFETCH(QStringList, expected);
    if (!listReadable)
        QVERIFY(QDir().mkdir(u"users"_s));
    if (!list.isNull())
        QVERIFY(m_dir->write(u"users"_s, list));
    if (!settingsThere)
        QVERIFY(QFile::remove(u"data/info/tumb.db"_s));
    Session session(*m_store);
    QStringList sent;
    connect(&session, &Session::usersChanged, this, [&] { sent.append(u"users"_s); });
    connect(&session, &Session::awaitingLogin, this, [&] { sent.append(u"login"_s); });
    connect(&session, &Session::settingsRead, this, [&] { sent.append(u"settings"_s); });
    QString message;
    try {
        session.start();
    } catch (const RuntimeError &e) {
        message = e.message();
    }
    QVERIFY2(failure.isEmpty() ? message.isEmpty() : message.startsWith(failure),
             qPrintable(message));
    QCOMPARE(sent, expected);
    QCOMPARE(session.userList().size(), list.count('\n'));
    QCOMPARE(session.adminSettings().login.isEmpty(), !failure.isEmpty());
}

void tst_Session::startClearsWriteBack()
{
    StoredUser::write("anna", "pw");
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"anna"_s, u"pw"_s).result, Result::Student);
    QVERIFY(session.writesBack());
    session.start();
    QVERIFY(!session.writesBack());

    // A start that fails at the list leaves the flag as it was.
    QCOMPARE(session.logIn(u"anna"_s, u"pw"_s).result, Result::Student);
    QVERIFY(QDir().mkdir(u"users"_s));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, session.start());
    QVERIFY(session.writesBack());
}

void tst_Session::registration()
{
    Session session(*m_store);
    session.start();
    // Another copy of the program registers boris meanwhile.
    StoredUser::write("boris", "b");
    QVERIFY(m_dir->write(u"users"_s, "boris\r\n"));
    QSignalSpy users(&session, &Session::usersChanged);
    QCOMPARE(session.registerUser(u"Анна"_s, u"пароль 1"_s), Accounts::Refusal::None);
    QCOMPARE(users.count(), 1);
    const QByteArray name = cp(u"Анна"_s);
    QCOMPARE(session.userName(), name);
    QCOMPARE(session.userList(), QList<QByteArray>({"boris", name}));
    QCOMPARE(m_dir->read(u"users"_s), "boris\r\n" + name + "\r\n");
    QCOMPARE(Store::read(name, "password", Accounts::UsersIni), cp(u"пароль 1"_s));
    QCOMPARE(grade(name, 1), QByteArray("1"));
    for (int k = 2; k <= 12; ++k)
        QCOMPARE(grade(name, k), QByteArray("0"));
    QCOMPARE(Store::read("boris", "password", Accounts::UsersIni), QByteArray("b"));
    // Registration logs nobody in.
    QVERIFY(!session.writesBack());
    QCOMPARE(session.scores(), Scores{});
}

void tst_Session::registrationRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Accounts::Refusal>("refusal");
    using R = Accounts::Refusal;

    QTest::newRow("empty") << QString() << u"pw"_s << R::EmptyName;
    QTest::newRow("opening bracket") << u"[anna"_s << u"pw"_s << R::UnstorableName;
    QTest::newRow("closing bracket") << u"an]na"_s << u"pw"_s << R::UnstorableName;
    QTest::newRow("whole header") << u"[x]"_s << u"pw"_s << R::UnstorableName;
    QTest::newRow("leading blank") << u" anna"_s << u"pw"_s << R::UnstorableName;
    QTest::newRow("trailing blank") << u"anna "_s << u"pw"_s << R::UnstorableName;
    QTest::newRow("administrator") << u"admin"_s << u"pw"_s << R::AdministratorName;
    QTest::newRow("greek letters") << u"Αλφα"_s << u"pw"_s << R::ForeignLetters;
    QTest::newRow("cjk") << u"名前"_s << u"pw"_s << R::ForeignLetters;
    QTest::newRow("missing marker password")
        << u"vera"_s << u"??????"_s << R::MissingMarkerPassword;
    QTest::newRow("password letters") << u"vera"_s << u"пароль名"_s << R::ForeignPasswordLetters;
    QTest::newRow("registered") << u"Анна"_s << u"pw"_s << R::AlreadyRegistered;
    QTest::newRow("registered, cyrillic other case")
        << u"аННА"_s << u"pw"_s << R::AlreadyRegistered;
    QTest::newRow("registered, yo in other case") << u"ёЖИК"_s << u"pw"_s << R::AlreadyRegistered;
    QTest::newRow("registered, latin other case") << u"BORIS"_s << u"pw"_s << R::AlreadyRegistered;
}

void tst_Session::registrationRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(Accounts::Refusal, refusal);
    StoredUser::write(cp(u"Анна"_s), "first", {"5"});
    StoredUser::write(cp(u"Ёжик"_s), "first");
    StoredUser::write("boris", "first");
    QVERIFY(m_dir->write(u"users"_s, cp(u"Анна\r\nЁжик\r\nboris\r\n"_s)));
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    Session session(*m_store);
    session.start();
    QSignalSpy users(&session, &Session::usersChanged);

    QCOMPARE(session.registerUser(name, password), refusal);
    QCOMPARE(session.userName(), cp(name));
    QCOMPARE(users.count(), 0);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);
    QCOMPARE(m_dir->read(u"users"_s), cp(u"Анна\r\nЁжик\r\nboris\r\n"_s));
    QCOMPARE(session.userList().size(), 3);
    // The first user keeps their password and grades.
    QCOMPARE(session.logIn(u"Анна"_s, u"first"_s).result, Result::Student);
    QCOMPARE(session.scores()[0], quint8(5));
}

void tst_Session::refusedListWriteReloadsTheList()
{
    QVERIFY(m_dir->write(u"users"_s, "anna\r\n"));
    StoredUser::write("anna", "a");
    Session session(*m_store);
    session.start();
    // Another copy registered boris meanwhile; then something took the
    // place of users.ini.
    StoredUser::write("boris", "b");
    QVERIFY(m_dir->write(u"users"_s, "anna\r\nboris\r\n"));
    QVERIFY(QFile::remove(u"users.ini"_s));
    QVERIFY(QDir().mkdir(u"users.ini"_s));
    QSignalSpy users(&session, &Session::usersChanged);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, session.registerUser(u"vera"_s, u"v"_s));
    QCOMPARE(users.count(), 1);
    QCOMPARE(session.userList(), QList<QByteArray>({"anna", "boris"}));
    QCOMPARE(m_dir->read(u"users"_s), QByteArray("anna\r\nboris\r\n"));
}

void tst_Session::studentLogin_data()
{
    QTest::addColumn<QList<QByteArray>>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Scores>("scores");
    QTest::addColumn<QList<QByteArray>>("locked");

    QTest::newRow("fresh registration")
        << QList<QByteArray>() << u"Анна Ёлкина"_s << Scores{1}
        << QList<QByteArray>({"test1", "test2", "test3", "test4", "test5", "test6", "test7",
                              "test8", "test9", "test10"});
    // Entries 11 and 12 are not loaded.
    QTest::newRow("other case, passes kept open")
        << QList<QByteArray>({"5", "4", "3", "2", "1", "0", "5", "4", "3", "2", "5", "5"})
        << u"аННА ёЛКИНА"_s << Scores{5, 4, 3, 2, 1, 0, 5, 4, 3, 2}
        << QList<QByteArray>({"test4", "test5", "test6", "test10"});
    QTest::newRow("low eight bits")
        << QList<QByteArray>({"300", "259", "2"}) << u"Анна Ёлкина"_s << Scores{44, 3, 2}
        << QList<QByteArray>(
               {"test3", "test4", "test5", "test6", "test7", "test8", "test9", "test10"});
}

void tst_Session::studentLogin()
{
    QFETCH(QList<QByteArray>, stored);
    QFETCH(QString, typed);
    QFETCH(Scores, scores);
    QFETCH(QList<QByteArray>, locked);
    StoredUser::write(cp(u"Анна Ёлкина"_s), cp(u"Пароль"_s), stored);
    Session session(*m_store);
    session.start();
    // A refused attempt does not stand in the way of the right one.
    QCOMPARE(session.logIn(typed, u"пароль"_s).result, Result::Refused);
    const Session::Login login = session.logIn(typed, u"Пароль"_s);
    QCOMPARE(login.result, Result::Student);
    QCOMPARE(login.locked, locked);
    QCOMPARE(session.scores(), scores);
    QCOMPARE(session.userName(), cp(typed));
    QVERIFY(session.writesBack());

    // The write-back goes into the same section, entries 11 and 12 as the
    // table holds them.
    QCOMPARE(session.writeBack(), Session::WriteBack::Written);
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    QCOMPARE(ini.count('['), 1);
    for (int k = 1; k <= 12; ++k)
        QCOMPARE(grade(cp(u"Анна Ёлкина"_s), k), QByteArray::number(scores[k - 1]));
}

void tst_Session::refusedLogin_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Result>("result");
    QTest::newRow("wrong password") << u"Анна"_s << u"Парол"_s << Result::Refused;
    QTest::newRow("password in other case") << u"Анна"_s << u"пАРОЛЬ"_s << Result::Refused;
    QTest::newRow("password with a blank") << u"Анна"_s << u"Пароль "_s << Result::Refused;
    QTest::newRow("unregistered name") << u"Вера"_s << u"Пароль"_s << Result::Refused;
    QTest::newRow("empty name") << QString() << QString() << Result::Refused;
    QTest::newRow("empty password") << u"Анна"_s << QString() << Result::Refused;
    QTest::newRow("administrator, other password") << u"admin"_s << u"Secret"_s << Result::Ignored;
    QTest::newRow("administrator, empty password") << u"admin"_s << QString() << Result::Ignored;
    QTest::newRow("administrator, password with a blank")
        << u"admin"_s << u"secret "_s << Result::Ignored;
    // The name in another case is a student's name, and none is stored.
    QTest::newRow("administrator's name in other case")
        << u"Admin"_s << u"secret"_s << Result::Refused;
    // A section left by a registration that nothing refused in older times.
    QTest::newRow("a student under the administrator's name")
        << u"admin"_s << u"student"_s << Result::Ignored;
}

void tst_Session::refusedLogin()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(Result, result);
    StoredUser::write(cp(u"Анна"_s), cp(u"Пароль"_s), {"5", "5", "5"});
    StoredUser::write("admin", "student", {"5", "5", "5"});
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    Session session(*m_store);
    session.start();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const Session::Login login = session.logIn(name, password);
        QCOMPARE(login.result, result);
        QVERIFY(login.locked.isEmpty());
    }
    QCOMPARE(session.userName(), cp(name));
    QVERIFY(!session.writesBack());
    QCOMPARE(session.scores(), Scores{});
    QCOMPARE(session.writeBack(), Session::WriteBack::NotNeeded);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);
}

void tst_Session::administratorLogin()
{
    StoredUser::write("admin", "student", {"5", "5", "5"});
    Session session(*m_store);
    session.start();
    const Session::Login login = session.logIn(u"admin"_s, u"secret"_s);
    QCOMPARE(login.result, Result::Administrator);
    QVERIFY(login.locked.isEmpty());
    QCOMPARE(session.userName(), QByteArray("admin"));
    QCOMPARE(session.scores(), Scores{});
    QVERIFY(!session.writesBack());

    // Without settings there is no administrator: an empty name is a student's.
    QVERIFY(QFile::remove(u"data/info/tumb.db"_s));
    Session without(*m_store);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, without.start());
    QCOMPARE(without.logIn(QString(), QString()).result, Result::Refused);
}

void tst_Session::nonNumericGradeStopsLogin()
{
    StoredUser::write("anna", "pw", {"5", "5", "2", "x", "0"});
    Session session(*m_store);
    session.start();
    try {
        session.logIn(u"anna"_s, u"pw"_s);
        QFAIL("no failure");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), u"'x' is not a valid integer value"_s);
    }
    // The entries before the failing one are loaded; nothing else changes.
    QCOMPARE(session.scores(), (Scores{5, 5, 2}));
    QVERIFY(!session.writesBack());
    QCOMPARE(session.logIn(u"admin"_s, u"secret"_s).result, Result::Administrator);
}

void tst_Session::removal_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("listAfter");
    QTest::newRow("listed") << QByteArray("anna\r\nboris\r\nvera\r\n") << u"boris"_s
                            << QByteArray("boris") << QByteArray("anna\r\nvera\r\n");
    QTest::newRow("other case") << QByteArray("anna\r\nboris\r\nvera\r\n") << u"BoRiS"_s
                                << QByteArray("boris") << QByteArray("anna\r\nvera\r\n");
    QTest::newRow("cyrillic other case") << cp(u"anna\r\nБорис\r\nvera\r\n"_s) << u"бОРИС"_s
                                         << cp(u"Борис"_s) << QByteArray("anna\r\nvera\r\n");
    QTest::newRow("missing from list") << QByteArray("anna\r\nvera\r\n") << u"boris"_s
                                       << QByteArray("boris") << QByteArray("anna\r\nvera\r\n");
    QTest::newRow("first of two") << QByteArray("boris\r\nanna\r\nBoris\r\n") << u"boris"_s
                                  << QByteArray("boris") << QByteArray("anna\r\nBoris\r\n");
    QTest::newRow("list lines end in LF") << QByteArray("anna\nboris\nvera") << u"boris"_s
                                          << QByteArray("boris") << QByteArray("anna\r\nvera\r\n");
}

void tst_Session::removal()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, name);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, listAfter);
    StoredUser::write("anna", "a", {"4"});
    StoredUser::write(section, "pw", {"5", "5"});
    StoredUser::write("vera", "v", {"3"});
    Session session(*m_store);
    session.start();
    // The list as another copy of the program left it after the start.
    QVERIFY(m_dir->write(u"users"_s, list));
    // The question before the removal names the grades that go with it.
    QCOMPARE(session.gradeCount(name, u"pw"_s), std::optional<int>(2));
    QSignalSpy users(&session, &Session::usersChanged);
    QVERIFY(session.removeUser(name, u"pw"_s));
    QCOMPARE(users.count(), 1);
    QVERIFY(!Accounts::storedPassword(section).has_value());
    QCOMPARE(m_dir->read(u"users.ini"_s).count('['), 2);
    QCOMPARE(grade("anna", 1), QByteArray("4"));
    QCOMPARE(grade("vera", 1), QByteArray("3"));
    QCOMPARE(m_dir->read(u"users"_s), listAfter);
    QCOMPARE(session.userList().size(), listAfter.count('\n'));
    // The logged-in name is not the removed one.
    QVERIFY(session.userName().isEmpty());
    QCOMPARE(session.logIn(name, u"pw"_s).result, Result::Refused);
}

void tst_Session::removalRefused()
{
    StoredUser::write("anna", "pw");
    QVERIFY(m_dir->write(u"users"_s, "anna\r\n"));
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    Session session(*m_store);
    session.start();
    QSignalSpy users(&session, &Session::usersChanged);
    for (const auto &[name, password] :
         {std::pair{u"anna"_s, u"PW"_s}, std::pair{u"boris"_s, u"pw"_s},
          std::pair{u"anna"_s, QString()}}) {
        QCOMPARE(session.gradeCount(name, password), std::nullopt);
        QVERIFY(!session.removeUser(name, password));
    }
    QCOMPARE(users.count(), 0);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);
    QCOMPARE(m_dir->read(u"users"_s), QByteArray("anna\r\n"));
}

void tst_Session::pickReadsTheFileEachTime()
{
    StoredUser::write("anna", "a", {"5", "4", "3", "2", "1", "0", "0", "0", "0", "0", "4", "3"});
    StoredUser::write(cp(u"Борис"_s), "b", {"2", "2"});
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"admin"_s, u"secret"_s).result, Result::Administrator);
    session.pick("anna");
    QCOMPARE(session.scores(), (Scores{5, 4, 3, 2, 1, 0, 0, 0, 0, 0, 4, 3}));
    session.pick(cp(u"Борис"_s));
    QCOMPARE(session.scores(), (Scores{2, 2}));
    // Changed behind the session between two picks of the same name.
    Store::write("anna", "test2", "1", Accounts::UsersIni);
    Store::write("anna", "test3", "300", Accounts::UsersIni);
    Store::write("anna", "test12", "256", Accounts::UsersIni);
    session.pick("anna");
    QCOMPARE(session.scores(), (Scores{5, 1, 44, 2, 1, 0, 0, 0, 0, 0, 4, 0}));
    QCOMPARE(session.userName(), QByteArray("admin"));
    // A pick changes nothing stored.
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    QCOMPARE(session.writeBack(), Session::WriteBack::NotNeeded);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);
}

void tst_Session::pickNonNumeric()
{
    StoredUser::write("anna", "a", {"5", "4", "3", "2", "1"});
    StoredUser::write("boris", "b", {"2", "3", "4", "x", "5"});
    Session session(*m_store);
    session.start();
    session.pick("anna");
    QVERIFY_THROWS_EXCEPTION(RuntimeError, session.pick("boris"));
    // Entries read before the failing one take the new values.
    QCOMPARE(session.scores(), (Scores{2, 3, 4, 2, 1}));
}

void tst_Session::runEnd()
{
    StoredUser::write(cp(u"Иван"_s), "pw");
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"Иван"_s, u"pw"_s).result, Result::Student);
    TestFileMaker::write("test1", "12345");
    TestRun run;
    QCOMPARE(run.start(*m_store, "test1"), QByteArray());
    for (int digit = 1; digit <= 5; ++digit)
        run.answer(digit);
    const Session::RunEnd end = session.finishRun(run);
    QCOMPARE(end.grade, 5);
    QCOMPARE(session.scores()[0], quint8(5));
    QVERIFY(end.logLine.startsWith(cp(u"Иван | "_s)));
    QVERIFY(end.logLine.endsWith(" | test1 | 5\r\n"));
    QCOMPARE(m_dir->read(u"log.txt"_s), end.logLine);
    QCOMPARE(end.passed, QList<QByteArray>({"test1"}));
    // The answers beside the log, at the log line's time.
    const QByteArray record = m_dir->read(u"log-answers.txt"_s);
    AnswerRecord answers;
    QCOMPARE(AnswerRecord::parse(record.chopped(2), answers), AnswerRecord::Fault::None);
    QCOMPARE(answers.user, cp(u"Иван"_s));
    QCOMPARE(answers.testName, QByteArray("test1"));
    QCOMPARE(answers.grade, 5);
    QCOMPARE(answers.chosen, QByteArray("12345"));
    QCOMPARE(answers.right, QByteArray("12345"));
    QCOMPARE(answers.version, AnswerRecord::versionOf(m_dir->read(u"data/tests/test1.ini"_s)));
    QVERIFY(end.logLine.contains(
        " | " + CodePage::fromUnicode(DateTimeFormat::longTime(answers.time)) + " | "));
    // Stored by the write-back only.
    QCOMPARE(grade(cp(u"Иван"_s), 1), QByteArray("1"));
    QCOMPARE(session.writeBack(), Session::WriteBack::Written);
    QCOMPARE(grade(cp(u"Иван"_s), 1), QByteArray("5"));

    // A second run appends; test10 stores its grade like any other.
    QCOMPARE(session.finishRun(finishedRun(*m_store, 10, 3)).grade, 2);
    QCOMPARE(session.scores()[9], quint8(2));
    const QByteArray log = m_dir->read(u"log.txt"_s);
    QVERIFY(log.startsWith(end.logLine));
    QVERIFY(log.endsWith(" | test10 | 2\r\n"));
    QCOMPARE(log.count("\r\n"), 2);
}

void tst_Session::runEndUnlocksEveryPassedTest()
{
    StoredUser::write("anna", "pw", {"1", "0", "4", "0", "3", "0", "2"});
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"anna"_s, u"pw"_s).result, Result::Student);
    const Session::RunEnd end = session.finishRun(finishedRun(*m_store, 1, 4));
    QCOMPARE(end.grade, 3);
    QCOMPARE(end.passed, QList<QByteArray>({"test1", "test3", "test5"}));

    // A failed run unlocks only what passed before.
    QCOMPARE(session.finishRun(finishedRun(*m_store, 2, 1)).passed,
             QList<QByteArray>({"test1", "test3", "test5"}));
    QCOMPARE(session.scores()[1], quint8(1));
}

void tst_Session::runEndWithLogThatCannotBeAppended_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("log") << u"log.txt"_s;
    // Without its record no log line is written either.
    QTest::newRow("answer records") << u"log-answers.txt"_s;
}

void tst_Session::runEndWithLogThatCannotBeAppended()
{
    QFETCH(QString, folder);
    StoredUser::write("anna", "pw");
    QVERIFY(QDir().mkdir(folder));
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"anna"_s, u"pw"_s).result, Result::Student);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, session.finishRun(finishedRun(*m_store, 1, 4)));
    QCOMPARE(QDir().entryList(QDir::Files).filter(u"log"_s), QStringList());
    // The grade is in the table and goes into the record at the write-back.
    QCOMPARE(session.scores()[0], quint8(3));
    QCOMPARE(grade("anna", 1), QByteArray("1"));
    QCOMPARE(session.writeBack(), Session::WriteBack::Written);
    QCOMPARE(grade("anna", 1), QByteArray("3"));
    QCOMPARE(grade("anna", 12), QByteArray("0"));
}

void tst_Session::administratorRunIsNotStored()
{
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"admin"_s, u"secret"_s).result, Result::Administrator);
    QCOMPARE(session.finishRun(finishedRun(*m_store, 1, 6)).grade, 4);
    QCOMPARE(session.scores()[0], quint8(4));
    QVERIFY(m_dir->read(u"log.txt"_s).startsWith("admin | "));
    QCOMPARE(session.writeBack(), Session::WriteBack::NotNeeded);
    QVERIFY(!QFile::exists(u"users.ini"_s));
}

void tst_Session::writeBackOfRemovedUser()
{
    StoredUser::write("anna", "a", {"4"});
    StoredUser::write("boris", "b");
    Session session(*m_store);
    session.start();
    QCOMPARE(session.logIn(u"anna"_s, u"a"_s).result, Result::Student);
    // Another copy, or the tool, removes her meanwhile.
    Accounts::removeUser("anna");
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    QCOMPARE(session.writeBack(), Session::WriteBack::UserRemoved);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);

    // A file that cannot be written says so.
    QVERIFY(QFile::remove(u"users.ini"_s));
    QVERIFY(QDir().mkdir(u"users.ini"_s));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, session.writeBack());
}

// The session's rules with the class in memory: nothing of a file's layout.
void tst_Session::rulesHoldOnAnyStore()
{
    MemoryStore store;
    store.stored = ClassSettings{"admin", "secret", "log"};
    store.addUser("anna", "pw", {"3", "2", "1", "0", "5"});
    store.tests.insert("test1", {{"q1", {"A) 1", "B) 1", "C) 1", "D) 1", "E) 1"}, "2"}});
    Session session(store);
    session.start();
    QCOMPARE(session.userList(), QList<QByteArray>{"anna"});

    const Session::Login login = session.logIn(u"ANNA"_s, u"pw"_s);
    QCOMPARE(login.result, Result::Student);
    QCOMPARE(login.locked, (QList<QByteArray>{"test2", "test3", "test4", "test6", "test7", "test8",
                                              "test9", "test10"}));
    QCOMPARE(session.gradeCount(u"anna"_s, u"pw"_s), std::optional<int>(4));
    QCOMPARE(session.gradeCount(u"anna"_s, u"other"_s), std::nullopt);

    TestRun run;
    QCOMPARE(run.start(store, "test1"), QByteArray());
    QCOMPARE(run.answer(2), TestRun::Step::Finished);
    const Session::RunEnd end = session.finishRun(run);
    QCOMPARE(end.grade, 5);
    QCOMPARE(store.log, QList<QByteArray>{end.logLine});
    QCOMPARE(store.answers.size(), 1);
    QCOMPARE(store.answers[0].chosen, QByteArray("2"));
    QCOMPARE(session.writeBack(), Session::WriteBack::Written);
    QCOMPARE(store.gradeText("anna", 1), QByteArray("5"));

    QVERIFY(session.renameUser("anna", u"Анна"_s).ok());
    QCOMPARE(session.userList(), QList<QByteArray>{cp(u"Анна"_s)});
    QCOMPARE(store.log[0].left(4), cp(u"Анна"_s));
    QVERIFY(session.removeUser(u"Анна"_s, u"pw"_s));
    QVERIFY(session.userList().isEmpty());
    QCOMPARE(session.writeBack(), Session::WriteBack::UserRemoved);
}

void tst_Session::settingsSave()
{
    MemoryStore store;
    store.stored = ClassSettings{"admin", "secret", "log"};
    store.addUser("anna", "pw");
    Session session(store);
    session.start();
    using Save = Session::SettingsSave;
    QCOMPARE(session.saveSettings({"ANNA", "x", "log"}, u"y"_s, u"x"_s, true), Save::Mismatch);
    QCOMPARE(session.settingsText(), cp(u"Проверьте пароль!"_s));
    QCOMPARE(session.saveSettings({QByteArray(), "x", "log"}, true), Save::Refused);
    QVERIFY(!session.settingsText().isEmpty());
    QCOMPARE(session.saveSettings({"ANNA", "x", "log"}, false), Save::NeedsConfirm);
    QCOMPARE(store.stored->login, QByteArray("admin"));
    QCOMPARE(session.saveSettings({"ANNA", "x", "log"}, true), Save::Saved);
    QCOMPARE(store.stored->login, QByteArray("ANNA"));
    // The settings in memory stay as read at start-up.
    QCOMPARE(session.adminSettings().login, QByteArray("admin"));
}

QTEST_GUILESS_MAIN(tst_Session)
#include "tst_session.moc"
