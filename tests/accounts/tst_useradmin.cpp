// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "CodePage.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "UserAdmin.h"

#include <QDate>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray cp1251(const QString &text)
{
    return CodePage::fromUnicode(text);
}

QByteArray grade(const QByteArray &name, int k)
{
    return Store::read(name, Accounts::testKey(k), Accounts::UsersIni);
}

} // namespace

// The administrator's changes to a user on the files of a class folder: anna
// and Борис with grades, one log line and one answer line of Борис.
class TestUserAdmin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_dir.reset(); }
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void passwordKeepsTheGrades();
    void renameTakesTheRecordsAlong();
    void restorePicksTheRemoval();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    const QByteArray m_boris = cp1251(u"Борис"_s);
};

void TestUserAdmin::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
    for (const QByteArray &name : {QByteArray("anna"), m_boris}) {
        QCOMPARE(Accounts::registerUser(name, name + "-pw", "admin").refusal, Refusal::None);
        for (int k = 1; k <= 10; ++k)
            Store::write(name, Accounts::testKey(k), QByteArray::number((k + name.size()) % 5 + 1),
                         Accounts::UsersIni);
    }
    QVERIFY(
        m_dir->write(u"log.txt"_s, cp1251(u"anna | 10:00:00 | 01.12.2026 | test1 | 5\r\n"
                                          "БОРИС | 10:05:00 | 01.12.2026 | test1 | 4\r\n"
                                          "annabel | 10:06:00 | 01.12.2026 | test1 | 3\r\n"_s)));
    QVERIFY(m_dir->write(u"log-answers.txt"_s,
                         cp1251(u"Борис | 2026-12-01 10:05:00 | test1 | 4 | 0a1b2c3d | 1234 | "
                                "1235\r\n"_s)));
}

void TestUserAdmin::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("to");
    QTest::addColumn<UserChange::Problem>("problem");
    QTest::addColumn<Refusal>("refusal");
    using P = UserChange::Problem;
    QTest::newRow("password of no one")
        << u"passwd"_s << u"nobody"_s << QString() << P::NotRegistered << Refusal::None;
    QTest::newRow("rename of no one")
        << u"rename"_s << u"nobody"_s << u"x"_s << P::NotRegistered << Refusal::None;
    QTest::newRow("rename onto another user")
        << u"rename"_s << u"anna"_s << u"БОРИС"_s << P::Refused << Refusal::AlreadyRegistered;
    QTest::newRow("rename onto the administrator")
        << u"rename"_s << u"anna"_s << u"admin"_s << P::Refused << Refusal::AdministratorName;
    QTest::newRow("rename to a name the file cannot hold")
        << u"rename"_s << u"anna"_s << u"a[1]"_s << P::Refused << Refusal::UnstorableName;
    QTest::newRow("restore of a name never removed")
        << u"restore"_s << u"anna"_s << QString() << P::NothingKept << Refusal::None;
}

void TestUserAdmin::refusalsChangeNothing()
{
    QFETCH(QString, operation);
    QFETCH(QString, name);
    QFETCH(QString, to);
    QFETCH(UserChange::Problem, problem);
    QFETCH(Refusal, refusal);
    const QStringList files{u"users.ini"_s, u"users"_s, u"log.txt"_s, u"log-answers.txt"_s};
    QList<QByteArray> before;
    for (const QString &file : files)
        before.append(m_dir->read(file));
    const UserChange change = operation == u"passwd"_s ? UserAdmin::setPassword(cp1251(name), "x")
                              : operation == u"rename"_s
                                  ? UserAdmin::rename(cp1251(name), cp1251(to), "admin", "log.txt")
                                  : UserAdmin::restore(cp1251(name), "admin");
    QCOMPARE(change.problem, problem);
    QCOMPARE(change.refusal, refusal);
    for (qsizetype i = 0; i < files.size(); ++i)
        QCOMPARE(m_dir->read(files[i]), before[i]);
    QVERIFY(!QFile::exists(m_dir->filePath(u"removed-users.ini"_s)));
}

void TestUserAdmin::passwordKeepsTheGrades()
{
    QList<QByteArray> grades;
    for (int k = 1; k <= Accounts::TestCount; ++k)
        grades.append(grade("anna", k));
    QVERIFY(UserAdmin::setPassword("ANNA", "new-pw").ok());
    QCOMPARE(Accounts::storedPassword("anna"), std::optional<QByteArray>("new-pw"));
    for (int k = 1; k <= Accounts::TestCount; ++k)
        QCOMPARE(grade("anna", k), grades[k - 1]);
}

void TestUserAdmin::renameTakesTheRecordsAlong()
{
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    const QByteArray log = m_dir->read(u"log.txt"_s);
    const QByteArray kim = cp1251(u"Борис Ким"_s);
    const UserChange change = UserAdmin::rename(cp1251(u"борис"_s), kim, "admin", "log.txt");
    QVERIFY(change.ok());
    QCOMPARE(change.name, m_boris);
    QCOMPARE(change.logLines, 1);
    QCOMPARE(change.answerLines, 1);
    QCOMPARE(m_dir->read(u"users.ini"_s),
             QByteArray(ini).replace("[" + m_boris + "]", "[" + kim + "]"));
    QCOMPARE(m_dir->read(u"users"_s), "anna\r\n" + kim + "\r\n");
    // The log's line of the user in any letter case, and no one else's.
    QCOMPARE(m_dir->read(u"log.txt"_s),
             QByteArray(log).replace(cp1251(u"БОРИС | "_s), kim + " | "));
    QVERIFY(m_dir->read(u"log-answers.txt"_s).startsWith(kim + " | 2026-12-01"));
    // Another letter case of one's own name is no one else's.
    QVERIFY(
        UserAdmin::rename(cp1251(u"борис ким"_s), cp1251(u"Борис КИМ"_s), "admin", "log.txt").ok());
    QCOMPARE(m_dir->read(u"users"_s), "anna\r\n" + cp1251(u"Борис КИМ"_s) + "\r\n");
}

void TestUserAdmin::restorePicksTheRemoval()
{
    using P = UserChange::Problem;
    using Over = UserChange::Over;
    const QByteArray first = grade("anna", 3);
    Accounts::removeUser("anna");
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toLatin1();
    QVERIFY(m_dir->write(u"removed-users.ini"_s,
                         m_dir->read(u"removed-users.ini"_s).replace(" " + today, " 2026-01-10")));
    QCOMPARE(Accounts::registerUser("Anna", "other", "admin").refusal, Refusal::None);
    Accounts::removeUser("anna");
    const QByteArray ini = m_dir->read(u"users.ini"_s);
    // Of two removals none is picked by itself, nor one not kept.
    QCOMPARE(UserAdmin::restore("anna", "admin").problem, P::ManyKept);
    QCOMPARE(UserAdmin::restore("anna", "admin", "2025").problem, P::NoSuchRemoval);
    QCOMPARE(m_dir->read(u"users.ini"_s), ini);
    QVERIFY(UserAdmin::restore("anna", "admin", "2026-01-10").ok());
    QCOMPARE(grade("anna", 3), first);
    QCOMPARE(m_dir->read(u"users"_s), m_boris + "\r\nanna\r\n");

    // Over an account registered again: asked, then the better of each.
    Accounts::removeUser("anna");
    QCOMPARE(Accounts::registerUser("anna", "new", "admin").refusal, Refusal::None);
    Store::write("anna", "test5", "5", Accounts::UsersIni);
    QCOMPARE(UserAdmin::restore("anna", "admin", "2026-01-10").problem, P::RegisteredAgain);
    QVERIFY(UserAdmin::restore("anna", "admin", "2026-01-10", Over::KeepBest).ok());
    QCOMPARE(grade("anna", 3), first);
    QCOMPARE(grade("anna", 5), QByteArray("5"));
    QCOMPARE(Accounts::storedPassword("anna"), std::optional<QByteArray>("new"));
}

QTEST_GUILESS_MAIN(TestUserAdmin)
#include "tst_useradmin.moc"
