// SPDX-License-Identifier: GPL-3.0-or-later
// The class's store on a real server: the registration's refusals, the
// administrator's operations and their refusal without the log-in, a run's
// log line and answer record, the tests with their keys, the settings, the
// archive that empties only what it kept, and the records in the folder's
// formats, byte for byte as the folder writes them.
#include "Accounts.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "TempWorkDir.h"
#include "TestFileMaker.h"
#include "TextFile.h"

#include <QtTest>

#include <functional>

namespace {

QByteArray cp(const char *utf8)
{
    return CodePage::fromUnicode(QString::fromUtf8(utf8));
}

} // namespace

class tst_ServerStore : public QObject
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;

    std::unique_ptr<ServerStore> store(const QByteArray &login = "admin",
                                       const QByteArray &password = "a")
    {
        auto made = std::make_unique<ServerStore>(m_address);
        if (!login.isEmpty() && !made->passwordMatches(login, password))
            return nullptr;
        return made;
    }

    // A test file as the folder keeps it, its bytes.
    static QByteArray testFile(const QByteArray &rightDigits)
    {
        TempWorkDir dir;
        TestFileMaker::write("test1", rightDigits);
        return TextFile::read(dir.filePath(QStringLiteral("data/tests/test1.ini")));
    }

    // A finished run of the user through the server's own road.
    void run(const QByteArray &name, const QByteArray &password, int test, QList<int> digits)
    {
        ServerClient client(m_address);
        const QString token =
            client.login(CodePage::toUnicode(name), CodePage::toUnicode(password)).token;
        const ServerClient::Run r = client.startRun(token, test);
        for (int k = 0; k < digits.size(); ++k)
            client.answer(token, r.id, k + 1, digits.at(k));
        client.finishRun(token, r.id);
    }

private slots:
    void init()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        m_address = ServerCluster::labAddress(m_database);
        QVERIFY(ServerCluster::initSettings(m_database, "a", "testlog.txt"));
    }

    void registration_data()
    {
        QTest::addColumn<QByteArray>("taken");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<int>("refusal");
        const auto row = [](const char *tag, const char *taken, const QByteArray &name,
                            const QByteArray &password, Refusal refusal) {
            QTest::newRow(tag) << cp(taken) << name << password << int(refusal);
        };
        row("registered", "", cp("Ёжик"), cp("пароль"), Refusal::None);
        row("empty name", "", "", "p", Refusal::EmptyName);
        row("bracket", "", "a[b", "p", Refusal::UnstorableName);
        row("blank at the end", "", "ab ", "p", Refusal::UnstorableName);
        row("taken in another case", "Ёжик", cp("ЁЖИК"), "p", Refusal::AlreadyRegistered);
        row("administrator's", "", "admin", "p", Refusal::AdministratorName);
        row("missing value as password", "", "u", "??????", Refusal::MissingMarkerPassword);
        row("scrambled marker is a password", "", "u", "!!!!!!", Refusal::None);
        row("long password", "", "u", QByteArray(2048, 'x'), Refusal::LongPassword);
        row("longest password", "", "u", QByteArray(2047, 'x'), Refusal::None);
        row("control character", "", "u", "a\x01", Refusal::UnstorablePassword);
    }

    void registration()
    {
        QFETCH(QByteArray, taken);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, password);
        QFETCH(int, refusal);
        const auto admin = store();
        QVERIFY(admin);
        if (!taken.isEmpty())
            QCOMPARE(int(admin->registerUser(taken, "t", "admin").refusal), int(Refusal::None));
        const auto student = store(QByteArray());
        const ClassStore::Registration r = student->registerUser(name, password, "admin");
        QCOMPARE(int(r.refusal), refusal);
        // A student is not shown the class's list.
        QVERIFY(r.list.isEmpty());
        if (r.refusal != Refusal::None) {
            const QString text = CodePage::toUnicode(admin->refusalText(r.refusal));
            QVERIFY2(text.startsWith(QStringLiteral("Сервер ") + m_address.display()),
                     qPrintable(text));
            QCOMPARE(admin->users().size(), taken.isEmpty() ? 0 : 1);
            return;
        }
        QCOMPARE(admin->users(), QList<QByteArray>{name});
        QVERIFY(student->passwordMatches(name, password));
        QVERIFY(!student->passwordMatches(name, password + "x"));
        QCOMPARE(student->gradeText(CodePage::fold(name), 1), QByteArray("1"));
        QVERIFY(!student->isAdministrator());
    }

    void withoutAdministrator_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char *op : {"users", "userRecords", "writeScores", "removeUser", "setPassword",
                               "rename", "restore", "gradeChanges", "settings", "writeSettings",
                               "logText", "test", "publish", "archive"})
            QTest::newRow(op) << QString::fromLatin1(op);
    }

    void withoutAdministrator()
    {
        QFETCH(QString, operation);
        const auto admin = store();
        QVERIFY(admin);
        admin->registerUser("bob", "b", "admin");
        // A student's log-in is no administrator's.
        const auto student = store("bob", "b");
        QVERIFY(student);
        const QHash<QString, std::function<void(ServerStore &)>> ops{
            {"users", [](ServerStore &s) { s.users(); }},
            {"userRecords", [](ServerStore &s) { s.userRecords(); }},
            {"writeScores", [](ServerStore &s) { s.writeScores("bob", {5}); }},
            // Another user's: a student removes only the own account.
            {"removeUser", [](ServerStore &s) { s.removeUser("carol"); }},
            {"setPassword", [](ServerStore &s) { s.setPassword("bob", "x"); }},
            {"rename", [](ServerStore &s) { s.rename("bob", "rob", "admin"); }},
            {"restore",
             [](ServerStore &s) { s.restore("bob", "admin", {}, UserChange::Over::Ask); }},
            {"gradeChanges",
             [](ServerStore &s) {
                 s.recordGradeChanges("x\r\n", {{"bob", 1, -1, 5}});
             }},
            {"settings", [](ServerStore &s) { s.settings(); }},
            {"writeSettings",
             [](ServerStore &s) {
                 s.writeSettings({"bob", "b", "x.txt"});
             }},
            {"logText", [](ServerStore &s) { s.logText(); }},
            {"test", [](ServerStore &s) { s.test("test1"); }},
            {"publish", [](ServerStore &s) { s.publish("test1", testFile("1")); }},
            {"archive", [](ServerStore &s) { s.archive([](const auto &) {}); }},
        };
        try {
            ops.value(operation)(*student);
            QFAIL("done without the administrator's log-in");
        } catch (const RuntimeError &e) {
            QCOMPARE(
                e.message(),
                QStringLiteral("Сервер %1: нужен вход администратора.").arg(m_address.display()));
        }
        // The report's inputs say so rather than throw; nothing changed.
        QVERIFY(!student->usersInput().failures.isEmpty());
        QVERIFY(!student->logLines().failure.isEmpty());
        QCOMPARE(admin->users(), QList<QByteArray>{"bob"});
        QCOMPARE(admin->gradeText("bob", 1), QByteArray("1"));
    }

    void users()
    {
        const auto admin = store();
        QVERIFY(admin);
        for (const char *name : {"Аня", "Борис", "Вера"})
            QCOMPARE(int(admin->registerUser(cp(name), "p", "admin").refusal), int(Refusal::None));
        QCOMPARE(admin->users(), (QList<QByteArray>{cp("Аня"), cp("Борис"), cp("Вера")}));

        ClassStore::Scores scores{};
        scores[0] = 5;
        scores[11] = 200;
        QVERIFY(admin->writeScores(cp("БОРИС"), scores));
        QCOMPARE(admin->gradeText(cp("Борис"), 12), QByteArray("200"));
        QCOMPARE(admin->grade(cp("борис"), 1), quint8(5));
        QVERIFY(!admin->writeScores("nobody", scores));
        QCOMPARE(admin->gradeText("nobody", 1), admin->missing());

        // Removed, kept, and back at the end of the list with its grades.
        QCOMPARE(admin->removeUser(cp("борис")), (QList<QByteArray>{cp("Аня"), cp("Вера")}));
        QVERIFY(!admin->isRegistered(cp("Борис")));
        QCOMPARE(admin->removeUser("nobody"), (QList<QByteArray>{cp("Аня"), cp("Вера")}));
        QCOMPARE(admin->removals(cp("борис")).size(), 1);
        QCOMPARE(admin->removals(cp("борис")).at(0).grades.at(0), 5);
        UserChange back = admin->restore(cp("БОРИС"), "admin", {}, UserChange::Over::Ask);
        QVERIFY(back.ok());
        QCOMPARE(back.name, cp("Борис"));
        QCOMPARE(admin->users(), (QList<QByteArray>{cp("Аня"), cp("Вера"), cp("Борис")}));
        QCOMPARE(admin->gradeText(cp("Борис"), 12), QByteArray("200"));
        QCOMPARE(int(admin->restore(cp("Борис"), "admin", {}, UserChange::Over::Ask).problem),
                 int(UserChange::Problem::NothingKept));

        // A name taken again before the restore: asked, then the best of
        // both, then the kept one in the new one's place, which is kept.
        scores = {};
        scores[1] = 4;
        admin->writeScores(cp("Вера"), scores);
        admin->removeUser(cp("Вера"));
        admin->registerUser(cp("вера"), "q", "admin");
        scores[1] = 2;
        scores[2] = 3;
        admin->writeScores(cp("вера"), scores);
        QCOMPARE(int(admin->restore(cp("Вера"), "admin", "1999", UserChange::Over::Ask).problem),
                 int(UserChange::Problem::NoSuchRemoval));
        QCOMPARE(int(admin->restore(cp("Вера"), "admin", {}, UserChange::Over::Ask).problem),
                 int(UserChange::Problem::RegisteredAgain));
        QVERIFY(admin->restore(cp("Вера"), "admin", {}, UserChange::Over::KeepBest).ok());
        QCOMPARE(admin->gradeText(cp("Вера"), 2) + admin->gradeText(cp("Вера"), 3),
                 QByteArray("43"));
        const UserChange replaced =
            admin->restore(cp("Вера"), "admin", {}, UserChange::Over::Replace);
        QVERIFY(replaced.ok());
        QCOMPARE(replaced.name, cp("Вера"));
        QCOMPARE(admin->gradeText(cp("Вера"), 3), QByteArray("0"));
        // In the place of the account it replaced.
        QCOMPARE(admin->users(), (QList<QByteArray>{cp("Аня"), cp("Борис"), cp("Вера")}));
        QCOMPARE(int(admin->restore(cp("Вера"), "admin", {}, UserChange::Over::Ask).problem),
                 int(UserChange::Problem::RegisteredAgain));
        QCOMPARE(admin->removals(cp("Вера")).at(0).grades.at(2), 3);

        QCOMPARE(int(admin->setPassword("nobody", "x").problem),
                 int(UserChange::Problem::NotRegistered));
        QCOMPARE(int(admin->setPassword(cp("аня"), "??????").refusal),
                 int(Refusal::MissingMarkerPassword));
        const UserChange password = admin->setPassword(cp("аня"), "new");
        QVERIFY(password.ok());
        QCOMPARE(password.name, cp("Аня"));
        QVERIFY(admin->passwordMatches(cp("Аня"), "new"));
        QVERIFY(!admin->passwordMatches(cp("Аня"), "p"));

        QCOMPARE(int(admin->rename(cp("Аня"), cp("Борис"), "admin").refusal),
                 int(Refusal::AlreadyRegistered));
        const UserChange caseOnly = admin->rename(cp("Аня"), cp("АНЯ"), "admin");
        QVERIFY(caseOnly.ok());
        QCOMPARE(admin->users().first(), cp("АНЯ"));
        QCOMPARE(int(admin->rename("nobody", "x", "admin").problem),
                 int(UserChange::Problem::NotRegistered));
        // The administrator's own session goes on after a student's log-in.
        QVERIFY(admin->isAdministrator());
        QCOMPARE(admin->userRecords().size(), 3);
    }

    // The log-in panel's removal on a server: the student's own log-in
    // removes that account alone, kept for the teacher's restore.
    void ownRemoval()
    {
        const auto admin = store();
        QVERIFY(admin);
        admin->registerUser("bob", "b", "admin");
        admin->registerUser("carol", "c", "admin");
        const auto student = store("bob", "b");
        QVERIFY(student);
        QCOMPARE(student->removeUser("BOB"), QList<QByteArray>());
        QCOMPARE(admin->users(), QList<QByteArray>{"carol"});
        QCOMPARE(admin->removals("bob").size(), 1);
        QVERIFY(!student->passwordMatches("bob", "b"));
        // The session went with the account: nothing more is removed by it.
        QVERIFY_THROWS_EXCEPTION(RuntimeError, student->removeUser("bob"));
        QVERIFY(admin->restore("bob", "admin", {}, UserChange::Over::Ask).ok());
        QVERIFY(student->passwordMatches("bob", "b"));
    }

    // The teacher's changes: the lines first, then each grade only where it
    // is still the one shown.
    void gradeChanges()
    {
        const auto admin = store();
        QVERIFY(admin);
        QVERIFY(admin->changeLines().missing);
        admin->registerUser("ann", "p", "admin");
        admin->registerUser("ben", "p", "admin");
        const QByteArray lines = cp("строка 1\r\nстрока 2\r\n");
        QCOMPARE(admin->recordGradeChanges(
                     lines, {{"ANN", 2, 0, 5}, {"ben", 2, 3, 5}, {"gone", 1, -1, 4}}),
                 1);
        QCOMPARE(admin->gradeText("ann", 2), QByteArray("5"));
        QCOMPARE(admin->gradeText("ben", 2), QByteArray("0"));
        const ClassStore::Lines record = admin->changeLines();
        QVERIFY2(record.failure.isEmpty(), qPrintable(record.failure));
        QCOMPARE(record.text, lines);
        QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                 admin->recordGradeChanges("x\r\n", {{"ann", 13, -1, 5}}));
        QCOMPARE(admin->changeLines().text, lines);
    }

    void runsAndTests()
    {
        const auto admin = store();
        QVERIFY(admin);
        const QByteArray file = testFile("213");
        QCOMPARE(int(admin->startRefusal("test1").isEmpty()), 0);
        QCOMPARE(admin->publish("test1", file), 1);
        QCOMPARE(admin->startRefusal("test1"), QByteArray());
        QVERIFY(!admin->startRefusal("test2").isEmpty());
        QCOMPARE(admin->testVersion("test1"), AnswerRecord::versionOf(file));
        QByteArray version;
        const auto asItStands = admin->testAsItStands("test1", &version);
        QVERIFY(asItStands);
        QCOMPARE(version, AnswerRecord::versionOf(file));
        QCOMPARE(asItStands->count(), 3);
        QCOMPARE(admin->test("test1")->rightAnswer(2), QByteArray("1"));
        QCOMPARE(admin->test("test1")->question(3), cp("Вопрос 3"));
        QVERIFY(!admin->testAsItStands("test2", nullptr));

        admin->registerUser(cp("Нина"), "n", "admin");
        run(cp("Нина"), "n", 1, {2, 1, 5});
        // Two of three right: 66.7 per cent.
        const auto student = store(cp("нина"), "n");
        QVERIFY(student);
        QCOMPARE(student->gradeText(cp("Нина"), 1), QByteArray("4"));

        const ClassStore::Lines log = admin->logLines();
        QVERIFY2(log.failure.isEmpty(), qPrintable(log.failure));
        QVERIFY(log.shown.contains(m_address.display()));
        QVERIFY2(log.text.startsWith(cp("Нина | ")) && log.text.endsWith(" | test1 | 4\r\n"),
                 log.text.constData());
        QCOMPARE(admin->logText(), log.text);
        const ClassStore::Lines answers = admin->answerLines();
        AnswerRecord record;
        QCOMPARE(int(AnswerRecord::parse(QByteArrayView(answers.text).chopped(2), record)),
                 int(AnswerRecord::Fault::None));
        QCOMPARE(record.chosen, QByteArray("215"));
        QCOMPARE(record.right, QByteArray("213"));
        QCOMPARE(record.version, AnswerRecord::versionOf(file));
        QCOMPARE(record.grade, 4);

        // A second version: the run keeps the one it was taken on.
        QCOMPARE(admin->publish("test1", testFile("55")), 2);
        QVERIFY(admin->answerLines().text.contains(AnswerRecord::versionOf(file)));

        // The log and the record follow a rename.
        const UserChange renamed = admin->rename(cp("Нина"), cp("Нина К"), "admin");
        QVERIFY(renamed.ok());
        QCOMPARE(renamed.logLines, 1);
        QCOMPARE(renamed.answerLines, 1);
        QVERIFY(admin->logText().startsWith(cp("Нина К | ")));

        ClassStore::FinishedRun forged;
        forged.user = cp("Нина К");
        forged.testName = "test1";
        forged.grade = 5;
        QVERIFY_THROWS_EXCEPTION(RuntimeError, admin->appendRun(forged));
        QCOMPARE(admin->logText().count('\n'), 1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, admin->publish("test1", "[inf]\r\n"));
    }

    void settings()
    {
        const auto admin = store();
        QVERIFY(admin);
        const ClassSettings read = admin->readSettings();
        QCOMPARE(read.login, QByteArray("admin"));
        QCOMPARE(read.logName, QByteArray("testlog.txt"));
        QVERIFY(read.password.isEmpty());
        admin->writeSettings({"admin", QByteArray(), "other.txt"});
        QCOMPARE(admin->settings().logName, QByteArray("other.txt"));
        QVERIFY(admin->logNameRefusal("a|b").contains(CodePage::fromUnicode(m_address.display())));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, admin->writeSettings({"admin", {}, "a|b"}));
        QCOMPARE(admin->settings().logName, QByteArray("other.txt"));
        // A new password ends the old sessions; the store goes on with it.
        admin->writeSettings({cp("учитель"), "s", "other.txt"});
        QVERIFY(admin->isAdministrator());
        QCOMPARE(admin->settings().login, cp("учитель"));
        QVERIFY(!store());
        QVERIFY(store(cp("учитель"), "s"));
    }

    void archive()
    {
        const auto admin = store();
        QVERIFY(admin);
        admin->publish("test1", testFile("1"));
        admin->registerUser("ann", "p", "admin");
        run("ann", "p", 1, {1});
        admin->recordGradeChanges("ann 5\r\n", {});
        // A change between the copies and the emptying empties nothing.
        QVERIFY_THROWS_EXCEPTION(RuntimeError,
                                 admin->archive([&admin](const QList<ClassStore::RecordCopy> &) {
                                     admin->registerUser("late", "p", "admin");
                                 }));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 admin->archive([](const QList<ClassStore::RecordCopy> &) {
                                     throw std::runtime_error("archive not written");
                                 }));
        QCOMPARE(admin->users(), (QList<QByteArray>{"ann", "late"}));
        QStringList names;
        QByteArray log;
        const QStringList emptied =
            admin->archive([&](const QList<ClassStore::RecordCopy> &copies) {
                for (const ClassStore::RecordCopy &copy : copies)
                    names.append(copy.name);
                log = copies.at(2).bytes;
                // The report reads the store while it is kept.
                QCOMPARE(admin->users().size(), 2);
            });
        QCOMPARE(names, (QStringList{"users.ini", "users", "testlog.txt", "testlog-answers.txt",
                                     "testlog-changes.txt"}));
        QVERIFY(log.startsWith("ann | "));
        QVERIFY(emptied.first().contains(m_address.display()));
        QVERIFY(admin->users().isEmpty());
        QVERIFY(admin->logLines().missing);
        QVERIFY(admin->changeLines().missing);
        // The settings and the tests stay.
        QCOMPARE(admin->startRefusal("test1"), QByteArray());
    }

    // The server's records as the folder writes them, byte for byte, given
    // the passwords the server cannot give back.
    void folderFormats()
    {
        const auto admin = store();
        QVERIFY(admin);
        TempWorkDir folder;
        QHash<QByteArray, QByteArray> passwords;
        ClassStore::Scores scores{};
        scores[0] = 3;
        scores[4] = 5;
        for (const QByteArray &name : {cp("Ёжик"), QByteArray("bob"), cp("Зоя")}) {
            QCOMPARE(int(Accounts::registerUser(name, name + "!").refusal),
                     int(Accounts::Refusal::None));
            admin->registerUser(name, name + "!", "admin");
            passwords.insert(CodePage::fold(name), name + "!");
        }
        Accounts::writeScores("bob", scores);
        admin->writeScores("bob", scores);
        const QList<ClassStore::RecordCopy> copies = admin->recordCopies(passwords);
        QCOMPARE(copies.at(0).name, QStringLiteral("users.ini"));
        QCOMPARE(copies.at(0).bytes, TextFile::read(folder.filePath("users.ini")));
        QCOMPARE(copies.at(1).bytes, TextFile::read(folder.filePath("users")));
    }

    void deadConnection()
    {
        const auto admin = store();
        QVERIFY(admin);
        admin->registerUser("dan", "p", "admin");
        const ToolRun drop = ServerCluster::psql(
            ServerCluster::superuserUri(m_database),
            "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
            "WHERE datname = current_database() AND usename = 'coursebook_lab';");
        QCOMPARE(drop.exitCode, 0);
        QCOMPARE(admin->users(), QList<QByteArray>{"dan"});
    }
};

QTEST_GUILESS_MAIN(tst_ServerStore)
#include "tst_serverstore.moc"
