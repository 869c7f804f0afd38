// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "FolderStore.h"
#include "RuntimeError.h"
#include "TestFileMaker.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(UserChange::Problem)

namespace {

QByteArray cp(const QString &text)
{
    return CodePage::fromUnicode(text);
}

// A value as users.ini holds it: every byte exclusive-or the store's key.
QByteArray scrambled(const QByteArray &text)
{
    QByteArray out = text;
    for (char &c : out)
        c = char(c ^ 0x1E);
    return out;
}

// The section of a users.ini as the file holds it, or "<none>".
QByteArray section(const QByteArray &ini, const QByteArray &name)
{
    const qsizetype at = ini.indexOf("[" + name + "]");
    if (at < 0)
        return "<none>";
    const qsizetype next = ini.indexOf("\n[", at);
    return ini.mid(at, next < 0 ? -1 : next + 1 - at);
}

} // namespace

// The class kept in a course folder, operation by operation, on the files
// each leaves behind: a store made on a folder of its own, never the test's
// current directory.
class tst_FolderStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registrationWritesRecordAndList();
    void registrationRefusals_data();
    void registrationRefusals();
    void passwordAndGrades();
    void scoresOnlyForARegisteredUser();
    void removalKeepsTheRecordForRestore();
    void changeRefusals_data();
    void changeRefusals();
    void newPasswordKeepsTheGrades();
    void renameTakesTheRecordsAlong();
    void runGoesToAnswersThenLog();
    void refusedLogTakesNoAnswers();
    void logTextNamesAMissingLog();
    void reportInputs();
    void reportInputsOfANewClass();
    void settingsRoundTrip();
    void logStaysAsTheSettingsWereRead();
    void archiveEmptiesOnlyWhatWasKept();
    void testsReadValueByValue();
    void twoStoresKeepToTheirFolders();
    void folderAccessNamesTheFiles();
    void newFolderWrittenRecordByRecord();

private:
    QByteArray file(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes) const;
    // admin|secret|log.txt, anna (pw) and Борис (pw2) registered.
    void makeClass();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FolderStore> m_store;
    QString m_previous;
};

void tst_FolderStore::init()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_store = std::make_unique<FolderStore>(m_dir->path());
}

void tst_FolderStore::cleanup()
{
    m_store.reset();
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

QByteArray tst_FolderStore::file(const QString &name) const
{
    QFile f(m_dir->filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void tst_FolderStore::write(const QString &name, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(m_dir->filePath(name)).path());
    QFile f(m_dir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

void tst_FolderStore::makeClass()
{
    write(QStringLiteral("data/info/tumb.db"), "admin|secret|log.txt\r\n");
    QCOMPARE(m_store->readSettings().logName, QByteArray("log.txt"));
    QCOMPARE(m_store->registerUser("anna", "pw", "admin").refusal, Refusal::None);
    QCOMPARE(m_store->registerUser(cp(u"Борис"_qs), "pw2", "admin").refusal, Refusal::None);
}

void tst_FolderStore::registrationWritesRecordAndList()
{
    const ClassStore::Registration r = m_store->registerUser("anna", "pw", "admin");
    QCOMPARE(r.refusal, Refusal::None);
    QCOMPARE(r.list, QList<QByteArray>{"anna"});
    QCOMPARE(file("users"), QByteArray("anna\r\n"));
    // The values scrambled, test1 = 1 and the rest 0, in one section.
    QByteArray expected = "[anna]\r\npassword=\"" + scrambled("pw") + "\"\r\n";
    for (int k = 1; k <= ClassStore::TestCount; ++k)
        expected +=
            "test" + QByteArray::number(k) + "=\"" + scrambled(k == 1 ? "1" : "0") + "\"\r\n";
    QCOMPARE(file("users.ini"), expected);
    QVERIFY(m_store->isRegistered("ANNA"));
    QCOMPARE(m_store->users(), QList<QByteArray>{"anna"});
}

void tst_FolderStore::registrationRefusals_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("empty") << QByteArray() << QByteArray("pw") << Refusal::EmptyName;
    QTest::newRow("brackets") << QByteArray("a[1]") << QByteArray("pw") << Refusal::UnstorableName;
    QTest::newRow("administrator")
        << QByteArray("admin") << QByteArray("pw") << Refusal::AdministratorName;
    QTest::newRow("taken in another case")
        << QByteArray("ANNA") << QByteArray("pw") << Refusal::AlreadyRegistered;
    QTest::newRow("missing marker")
        << QByteArray("new") << QByteArray("??????") << Refusal::MissingMarkerPassword;
}

void tst_FolderStore::registrationRefusals()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, password);
    QFETCH(Refusal, refusal);
    makeClass();
    const QByteArray ini = file("users.ini");
    const QByteArray list = file("users");
    QCOMPARE(m_store->registerUser(name, password, "admin").refusal, refusal);
    QCOMPARE(file("users.ini"), ini);
    QCOMPARE(file("users"), list);
    // Typed letters the code page lacks are refused before anything else.
    QCOMPARE(m_store->registerTyped(u"名"_qs, u"pw"_qs, "admin").refusal, Refusal::ForeignLetters);
    QCOMPARE(m_store->registerTyped(u"new"_qs, u"名"_qs, "admin").refusal,
             Refusal::ForeignPasswordLetters);
}

void tst_FolderStore::passwordAndGrades()
{
    makeClass();
    QCOMPARE(m_store->storedPassword("Anna"), std::optional<QByteArray>("pw"));
    QCOMPARE(m_store->storedPassword("nobody"), std::nullopt);
    QVERIFY(m_store->passwordMatches("anna", "pw"));
    QVERIFY(!m_store->passwordMatches("anna", "PW"));
    QCOMPARE(m_store->gradeText("anna", 1), QByteArray("1"));
    QCOMPARE(m_store->gradeText("anna", 2), QByteArray("0"));
    QCOMPARE(m_store->gradeText("nobody", 1), m_store->missing());
    QCOMPARE(m_store->grade("anna", 1), quint8(1));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->grade("nobody", 1));
}

void tst_FolderStore::scoresOnlyForARegisteredUser()
{
    makeClass();
    ClassStore::Scores scores{};
    scores[2] = 5;
    QVERIFY(m_store->writeScores("ANNA", scores));
    QCOMPARE(m_store->grade("anna", 3), quint8(5));
    QCOMPARE(m_store->gradeText("anna", 1), QByteArray("0"));
    m_store->removeUser("anna");
    const QByteArray ini = file("users.ini");
    QVERIFY(!m_store->writeScores("anna", scores));
    QCOMPARE(file("users.ini"), ini);
}

void tst_FolderStore::removalKeepsTheRecordForRestore()
{
    makeClass();
    const QByteArray anna = section(file("users.ini"), "anna");
    QCOMPARE(m_store->removeUser("ANNA"), QList<QByteArray>{cp(u"Борис"_qs)});
    QCOMPARE(section(file("users.ini"), "anna"), QByteArray("<none>"));
    const QByteArray kept = file("removed-users.ini");
    QVERIFY2(kept.startsWith("; " + cp(u"удалён "_qs) +
                             QDate::currentDate().toString(Qt::ISODate).toLatin1()),
             kept.constData());
    QVERIFY(kept.endsWith(anna));

    const UserChange back = m_store->restore("Anna", "admin", {}, UserChange::Over::Ask);
    QVERIFY(back.ok());
    QCOMPARE(back.name, QByteArray("anna"));
    QCOMPARE(section(file("users.ini"), "anna"), anna);
    QCOMPARE(m_store->users(), (QList<QByteArray>{cp(u"Борис"_qs), "anna"}));
    QVERIFY(m_store->isListed("ANNA"));
}

void tst_FolderStore::changeRefusals_data()
{
    QTest::addColumn<QByteArray>("operation");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<UserChange::Problem>("problem");
    QTest::addColumn<Refusal>("refusal");
    using P = UserChange::Problem;
    QTest::newRow("password of no one") << QByteArray("passwd") << QByteArray("nobody")
                                        << QByteArray("x") << P::NotRegistered << Refusal::None;
    QTest::newRow("password the store cannot keep")
        << QByteArray("passwd") << QByteArray("anna") << QByteArray("??????") << P::Refused
        << Refusal::MissingMarkerPassword;
    QTest::newRow("rename of no one") << QByteArray("rename") << QByteArray("nobody")
                                      << QByteArray("x") << P::NotRegistered << Refusal::None;
    QTest::newRow("rename onto another user")
        << QByteArray("rename") << QByteArray("anna") << cp(u"БОРИС"_qs) << P::Refused
        << Refusal::AlreadyRegistered;
    QTest::newRow("rename onto the administrator")
        << QByteArray("rename") << QByteArray("anna") << QByteArray("admin") << P::Refused
        << Refusal::AdministratorName;
    QTest::newRow("rename to brackets")
        << QByteArray("rename") << QByteArray("anna") << QByteArray("a[1]") << P::Refused
        << Refusal::UnstorableName;
    QTest::newRow("restore of no one removed") << QByteArray("restore") << QByteArray("anna")
                                               << QByteArray() << P::NothingKept << Refusal::None;
    QTest::newRow("restore onto a name taken again")
        << QByteArray("restore") << cp(u"Борис"_qs) << QByteArray("taken") << P::RegisteredAgain
        << Refusal::None;
    QTest::newRow("restore of a removal at another time")
        << QByteArray("restore") << cp(u"Борис"_qs) << QByteArray("1999") << P::NoSuchRemoval
        << Refusal::None;
    QTest::newRow("restore of one of several removals")
        << QByteArray("restore") << cp(u"Борис"_qs) << QByteArray("twice") << P::ManyKept
        << Refusal::None;
    QTest::newRow("restore of the administrator's name")
        << QByteArray("restore") << cp(u"Борис"_qs) << QByteArray("admin") << P::Refused
        << Refusal::AdministratorName;
}

void tst_FolderStore::changeRefusals()
{
    QFETCH(QByteArray, operation);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    QFETCH(UserChange::Problem, problem);
    QFETCH(Refusal, refusal);
    makeClass();
    QByteArray admin = "admin";
    if (operation == "restore" && !value.isEmpty()) {
        m_store->removeUser(name);
        if (value == "taken" || value == "twice")
            QCOMPARE(m_store->registerUser(name.toLower(), "other", admin).refusal, Refusal::None);
        else if (value == "admin")
            admin = name;
        if (value == "twice")
            m_store->removeUser(name);
    }
    const QByteArray ini = file("users.ini");
    const QByteArray list = file("users");
    UserChange change;
    if (operation == "passwd")
        change = m_store->setPassword(name, value);
    else if (operation == "rename")
        change = m_store->rename(name, value, admin);
    else
        change = m_store->restore(name, admin, value == "1999" ? value : QByteArray(),
                                  UserChange::Over::Ask);
    QCOMPARE(change.problem, problem);
    QCOMPARE(change.refusal, refusal);
    QVERIFY(!change.ok());
    QVERIFY(!m_store->problemText(change, name).isEmpty());
    QCOMPARE(file("users.ini"), ini);
    QCOMPARE(file("users"), list);
}

void tst_FolderStore::newPasswordKeepsTheGrades()
{
    makeClass();
    const QByteArray before = section(file("users.ini"), "anna");
    const UserChange change = m_store->setPassword("ANNA", "new-pw");
    QVERIFY(change.ok());
    QCOMPARE(change.name, QByteArray("anna"));
    QVERIFY(m_store->passwordMatches("anna", "new-pw"));
    const QByteArray after = section(file("users.ini"), "anna");
    QCOMPARE(after.mid(after.indexOf("test1=")), before.mid(before.indexOf("test1=")));
    QCOMPARE(m_store->setTypedPassword("anna", u"名"_qs).refusal, Refusal::ForeignPasswordLetters);
}

void tst_FolderStore::renameTakesTheRecordsAlong()
{
    makeClass();
    const QByteArray boris = cp(u"Борис"_qs);
    write(QStringLiteral("log.txt"), "anna | 10:00:00 | 01.12.2026 | test1 | 4\r\n" + boris +
                                         " | 10:05:00 | 01.12.2026 | test1 | 3\r\n");
    write(QStringLiteral("log-answers.txt"),
          boris + " | 2026-12-01 10:05:00 | test1 | 3 | 0123abcd | 12 | 12\r\n");
    const QByteArray before = section(file("users.ini"), boris);
    const QByteArray kim = cp(u"Борис Ким"_qs);
    const UserChange change = m_store->rename(cp(u"борис"_qs), kim, "admin");
    QVERIFY(change.ok());
    QCOMPARE(change.name, boris);
    QCOMPARE(change.logLines, 1);
    QCOMPARE(change.answerLines, 1);
    QCOMPARE(section(file("users.ini"), kim),
             QByteArray(before).replace("[" + boris + "]", "[" + kim + "]"));
    QCOMPARE(file("users"), "anna\r\n" + kim + "\r\n");
    QVERIFY(file("log.txt").startsWith("anna | 10:00:00"));
    QVERIFY(file("log.txt").contains("\r\n" + kim + " | 10:05:00"));
    QVERIFY(file("log-answers.txt").startsWith(kim + " | 2026-12-01"));
    // Another letter case of one's own name is no one else's.
    QVERIFY(m_store->rename(kim, cp(u"Борис КИМ"_qs), "admin").ok());
    QCOMPARE(m_store->renameTyped("anna", u"名"_qs, "admin").refusal, Refusal::ForeignLetters);
}

void tst_FolderStore::runGoesToAnswersThenLog()
{
    makeClass();
    const ClassStore::FinishedRun run{
        "anna", QDateTime(QDate(2026, 12, 1), QTime(10, 5, 7)), "test2", 4, "0123abcd", "1235",
        "1234"};
    const QByteArray line = m_store->appendRun(run);
    QVERIFY(line.startsWith("anna | "));
    QVERIFY(line.endsWith(" | test2 | 4\r\n"));
    QCOMPARE(file("log.txt"), line);
    QCOMPARE(file("log-answers.txt"),
             QByteArray("anna | 2026-12-01 10:05:07 | test2 | 4 | 0123abcd | 1235 | 1234\r\n"));
    QCOMPARE(m_store->appendRun(run), line);
    QCOMPARE(file("log.txt"), line + line);
    QCOMPARE(m_store->logText(), line + line);
}

void tst_FolderStore::refusedLogTakesNoAnswers()
{
    makeClass();
    // A log that can be no file takes no answers either: a log line always
    // has its answers.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("log.txt")));
    const ClassStore::FinishedRun run{
        "anna", QDateTime::currentDateTime(), "test1", 5, "0123abcd", "1", "1"};
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->appendRun(run));
    QCOMPARE(file("log-answers.txt"), QByteArray("<missing>"));
    write(QStringLiteral("log-answers.txt"), "kept\r\n");

    // A log outside the folder takes nothing, the answers neither.
    write(QStringLiteral("data/info/tumb.db"), "admin|secret|../outside.txt\r\n");
    FolderStore again(m_dir->path());
    again.readSettings();
    const QByteArray answers = file("log-answers.txt");
    QVERIFY_THROWS_EXCEPTION(RuntimeError, again.appendRun(run));
    QCOMPARE(file("log-answers.txt"), answers);
    QVERIFY(!again.logNameRefusal("../outside.txt").isEmpty());
    QCOMPARE(again.logNameRefusal("log.txt"), QByteArray());
}

void tst_FolderStore::logTextNamesAMissingLog()
{
    makeClass();
    try {
        m_store->logText();
        QFAIL("a missing log read");
    } catch (const RuntimeError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("log.txt")), qPrintable(e.message()));
    }
}

void tst_FolderStore::reportInputs()
{
    makeClass();
    write(QStringLiteral("users"), "anna\r\nghost\r\n");
    QFile ini(m_dir->filePath(QStringLiteral("users.ini")));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[ANNA]\r\ntest1=x\r\n[open\r\n");
    ini.close();
    write(QStringLiteral("log.txt"), "anna | 10:00:00 | 01.12.2026 | test1 | 4\r\n");

    const ClassStore::UsersInput users = m_store->usersInput();
    QCOMPARE(users.list, (QList<QByteArray>{"anna", "ghost"}));
    QCOMPARE(users.records.size(), 3);
    QCOMPARE(users.records[0].name, QByteArray("anna"));
    QCOMPARE(users.records[0].grades[0], QByteArray("1"));
    QCOMPARE(users.records[2].name, QByteArray("open"));
    QCOMPARE(users.records[2].grades[0], m_store->missing());
    QCOMPARE(users.missing, m_store->missing());
    QVERIFY(users.failures.isEmpty());
    QCOMPARE(users.findings.size(), 2);
    QCOMPARE(users.findings[0].kind, ClassStore::Finding::Kind::CaseTwin);
    QCOMPARE(users.findings[1].kind, ClassStore::Finding::Kind::OpenHeader);
    QCOMPARE(m_store->userRecords().size(), 3);

    const ClassStore::Lines log = m_store->logLines();
    QVERIFY(log.failure.isEmpty());
    QVERIFY(log.shown.endsWith(QStringLiteral("log.txt")));
    QCOMPARE(log.text, file("log.txt"));
    const ClassStore::Lines answers = m_store->answerLines();
    QVERIFY(answers.missing);
    QVERIFY(answers.failure.isEmpty());
    QVERIFY(answers.shown.endsWith(QStringLiteral("log-answers.txt")));
}

void tst_FolderStore::reportInputsOfANewClass()
{
    // No settings, no list, no records: said, not thrown.
    const ClassStore::UsersInput users = m_store->usersInput();
    QCOMPARE(users.failures.size(), 1);
    QVERIFY(users.records.isEmpty());
    const ClassStore::Lines log = m_store->logLines();
    QVERIFY(log.failure.contains(QStringLiteral("файл настроек")));
    QVERIFY(log.shown.isEmpty());
    QVERIFY(m_store->answerLines().shown.isEmpty());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->userRecords());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->settings());

    // A named log not there yet is missing, and says so.
    write(QStringLiteral("data/info/tumb.db"), "admin|secret|log.txt\r\n");
    write(QStringLiteral("users"), QByteArray());
    QVERIFY(m_store->userRecords().isEmpty());
    const ClassStore::Lines named = m_store->logLines();
    QVERIFY(named.missing);
    QVERIFY(named.failure.contains(QStringLiteral("журнал тестов")));
}

void tst_FolderStore::settingsRoundTrip()
{
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->writeSettings({"admin", "secret", "log.txt"}));
    QCOMPARE(file("data/info/tumb.db"), QByteArray("<missing>"));
    QDir(m_dir->path()).mkpath(QStringLiteral("data/info"));
    m_store->writeSettings({"admin", "secret", "log.txt"});
    QCOMPARE(file("data/info/tumb.db"), QByteArray("admin|secret|log.txt\r\n"));
    const ClassSettings read = m_store->settings();
    QCOMPARE(read.login, QByteArray("admin"));
    QCOMPARE(read.password, QByteArray("secret"));
    QCOMPARE(read.logName, QByteArray("log.txt"));
}

void tst_FolderStore::logStaysAsTheSettingsWereRead()
{
    const ClassStore::FinishedRun run{
        "anna", QDateTime::currentDateTime(), "test1", 5, "0123abcd", "1", "1"};
    // Before the settings are read there is no log to end a run in.
    write(QStringLiteral("data/info/tumb.db"), "admin|secret|log.txt\r\n");
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->appendRun(run));
    QCOMPARE(file("log-answers.txt"), QByteArray("<missing>"));
    makeClass();
    m_store->writeSettings({"admin", "secret", "other.txt"});
    QCOMPARE(m_store->settings().logName, QByteArray("other.txt"));
    m_store->appendRun(run);
    QVERIFY(QFileInfo::exists(m_dir->filePath(QStringLiteral("log.txt"))));
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("other.txt"))));
}

void tst_FolderStore::archiveEmptiesOnlyWhatWasKept()
{
    makeClass();
    write(QStringLiteral("log.txt"), "anna | 10:00:00 | 01.12.2026 | test1 | 4\r\n");
    const QByteArray ini = file("users.ini");
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->archive([](const auto &) {
        throw RuntimeError(QStringLiteral("no room"));
    }));
    QCOMPARE(file("users.ini"), ini);

    QList<ClassStore::RecordCopy> kept;
    const QStringList emptied =
        m_store->archive([&](const QList<ClassStore::RecordCopy> &copies) { kept = copies; });
    QCOMPARE(kept.size(), 3);
    QCOMPARE(kept[0].name, QStringLiteral("users.ini"));
    QCOMPARE(kept[0].bytes, ini);
    QCOMPARE(kept[1].name, QStringLiteral("users"));
    QCOMPARE(kept[2].name, QStringLiteral("log.txt"));
    QCOMPARE(emptied.size(), 3);
    QCOMPARE(file("users.ini"), QByteArray());
    QCOMPARE(file("log.txt"), QByteArray());
    QCOMPARE(file("data/info/tumb.db"), QByteArray("admin|secret|log.txt\r\n"));
}

void tst_FolderStore::testsReadValueByValue()
{
    QVERIFY(!m_store->startRefusal("test1").isEmpty());
    QCOMPARE(m_store->testAsItStands("test1", nullptr), nullptr);
    TestFileMaker::write("test1", "21");
    QCOMPARE(m_store->startRefusal("test1"), QByteArray());
    const std::unique_ptr<StoredTest> test = m_store->test("test1");
    QCOMPARE(test->count(), 2);
    QCOMPARE(test->rightAnswer(1), QByteArray("2"));
    const QByteArray version = m_store->testVersion("test1");
    QCOMPARE(version.size(), 8);
    QByteArray asItStands;
    const std::shared_ptr<const StoredTest> whole = m_store->testAsItStands("test1", &asItStands);
    QVERIFY(whole);
    QCOMPARE(asItStands, version);
    // Corrected during the run: the run reads the new value, the snapshot
    // keeps the old.
    TestFileMaker::write("test1", "31");
    QCOMPARE(test->rightAnswer(1), QByteArray("3"));
    QCOMPARE(whole->rightAnswer(1), QByteArray("2"));
    QCOMPARE(whole->question(1), test->question(1));
    QVERIFY(m_store->testVersion("test1") != version);
}

void tst_FolderStore::twoStoresKeepToTheirFolders()
{
    makeClass();
    QTemporaryDir otherDir;
    QVERIFY(otherDir.isValid());
    FolderStore other(otherDir.path());
    QCOMPARE(other.registerUser("boris", "pw", "admin").refusal, Refusal::None);
    QVERIFY(m_store->isRegistered("anna"));
    QVERIFY(!m_store->isRegistered("boris"));
    QVERIFY(!other.isRegistered("anna"));
    QCOMPARE(other.users(), QList<QByteArray>{"boris"});
}

void tst_FolderStore::folderAccessNamesTheFiles()
{
    makeClass();
    const FolderAccess *access = m_store->folderAccess();
    QVERIFY(access);
    const QString folder = QDir(m_dir->path()).canonicalPath();
    QCOMPARE(access->folder(), folder);
    QCOMPARE(access->recordFiles(),
             (QStringList{folder + "/users.ini", folder + "/users", folder + "/removed-users.ini",
                          folder + "/log.txt", folder + "/log-answers.txt",
                          folder + "/log-changes.txt"}));
    QCOMPARE(access->settingsFile(), folder + "/data/info/tumb.db");
    QCOMPARE(access->testFile("test3"), folder + "/data/tests/test3.ini");
    // Names match in any letter case, as in a folder copied from Windows.
    write(QStringLiteral("LOG.TXT"), "x");
    QFile::remove(m_dir->filePath(QStringLiteral("log.txt")));
    QCOMPARE(access->logFile(), folder + "/LOG.TXT");
}

void tst_FolderStore::newFolderWrittenRecordByRecord()
{
    using Record = FolderAccess::Record;
    m_store->makeFolders();
    m_store->writeSettings({"admin", "secret", "logs\\log.txt"});
    QVERIFY(m_store->recordBytes(Record::Log).isEmpty());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->writeRecord(Record::Log, "x\r\n"));
    m_store->readSettings();
    m_store->writeRecord(Record::Changes, "c\r\n");
    m_store->writeRecord(Record::Users, "[anna]\r\n");
    m_store->writeTest("test2", "t");
    QCOMPARE(file("logs/log-changes.txt"), QByteArray("c\r\n"));
    QCOMPARE(m_store->recordBytes(Record::Users), QByteArray("[anna]\r\n"));
    QCOMPARE(m_store->testBytes("test2"), std::optional<QByteArray>("t"));
    QCOMPARE(m_store->testBytes("test3"), std::nullopt);
    QVERIFY(m_store->recordBytes(Record::Removed).isEmpty());
    // A log named outside the folder is neither read nor written.
    m_store->writeSettings({"admin", "secret", "../log.txt"});
    m_store->readSettings();
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->recordBytes(Record::Log));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->writeRecord(Record::Answers, "a"));
}

QTEST_GUILESS_MAIN(tst_FolderStore)
#include "tst_folderstore.moc"
