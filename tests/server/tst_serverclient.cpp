// SPDX-License-Identifier: GPL-3.0-or-later
// The program's client of the class's server: a run through the API, a dead
// connection made again with the call repeated, a registration whose reply
// was lost read as registered, and refusals in Russian naming the server.
#include "RuntimeError.h"
#include "ServerAddress.h"
#include "ServerClient.h"
#include "ServerCluster.h"

#include <QtTest>

class tst_ServerClient : public QObject
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;
    QString m_adminToken;

    // Every lab session of the test's database ends, as a restarted server
    // or a dropped network ends them.
    void dropConnections()
    {
        const ToolRun run = ServerCluster::psql(
            ServerCluster::superuserUri(m_database),
            "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
            "WHERE datname = current_database() AND usename = 'coursebook_lab';");
        QVERIFY2(run.exitCode == 0 && run.outText().toInt() > 0, qPrintable(run.errText()));
    }

private slots:
    void initTestCase()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            return;
        m_address = ServerCluster::labAddress(m_database);
        QVERIFY(m_address.verifiesServer());
        QVERIFY(ServerCluster::initSettings(m_database, "a"));
        ServerClient admin(m_address);
        m_adminToken = admin.login("admin", "a").token;
        admin.rows(
            "SELECT cb.admin_publish(?, 1::smallint, ?, 'feedbeef', ?::jsonb)",
            {m_adminToken, QByteArray("test"),
             "[{\"question\":\"2+2\",\"answers\":[\"3\",\"4\",\"5\",\"6\",\"7\"],\"key\":2},"
             "{\"question\":\"3+3\",\"answers\":[\"6\",\"4\",\"5\",\"3\",\"7\"],\"key\":1},"
             "{\"question\":\"1+1\",\"answers\":[\"3\",\"4\",\"2\",\"6\",\"7\"],\"key\":3}]"});
    }

    void run()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        ServerClient client(m_address);
        client.registerUser("Ёжик", "пароль");
        const ServerClient::Login login = client.login("ёЖИК", "пароль");
        QCOMPARE(login.storedName, QStringLiteral("Ёжик"));
        QCOMPARE(login.grades[0], quint8(1));
        const ServerClient::Run run = client.startRun(login.token, 1);
        QCOMPARE(run.questions.size(), 3);
        QCOMPARE(run.questions.at(1).answers.at(0), QStringLiteral("6"));
        client.answer(login.token, run.id, 1, 2);
        client.answer(login.token, run.id, 2, 1);
        // After a restart of the program the run goes on where it stood.
        const std::optional<ServerClient::Run> open = client.openRun(login.token);
        QVERIFY(open && open->id == run.id && open->questions.at(1).chosen == 1);
        client.answer(login.token, run.id, 3, 5);
        const ServerClient::Result result = client.finishRun(login.token, run.id);
        // 2 of 3 is 66.7 per cent.
        QCOMPARE(result.grade, 4);
        QCOMPARE(client.grades(login.token)[0], quint8(4));
        QVERIFY(!client.openRun(login.token));
    }

    void deadConnection()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        ServerClient client(m_address);
        client.registerUser("Нина", "н");
        const QString token = client.login("Нина", "н").token;
        const ServerClient::Run run = client.startRun(token, 1);
        dropConnections();
        client.answer(token, run.id, 1, 3);
        dropConnections();
        // The answer again, as after a reply lost: accepted; another refused.
        client.answer(token, run.id, 1, 3);
        try {
            client.answer(token, run.id, 1, 4);
            QFAIL("another digit was accepted");
        } catch (const ServerClient::Refused &refused) {
            QCOMPARE(refused.message(),
                     QStringLiteral("Сервер %1: на этот вопрос уже дан другой ответ (3).")
                         .arg(m_address.display()));
        }
    }

    void lostRegistration()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        ServerClient first(m_address);
        ServerClient second(m_address);
        second.rows("SELECT cb.server_status()");
        first.registerUser("Зоя", "зз");
        dropConnections();
        // The second copy's registration went through before its reply was
        // lost: the name taken with its password reads as registered.
        second.registerUser("зоя", "зз");
        dropConnections();
        try {
            second.registerUser("ЗОЯ", "другой");
            QFAIL("a second registration of the name was accepted");
        } catch (const ServerClient::Refused &refused) {
            QCOMPARE(refused.code(), QStringLiteral("CB004"));
            QVERIFY(refused.message().contains(m_address.display()));
        }
    }

    void refusals()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        ServerClient client(m_address);
        try {
            client.login("никто", "x");
            QFAIL("an unknown name logged in");
        } catch (const ServerClient::Refused &refused) {
            QCOMPARE(refused.message(),
                     QStringLiteral("Сервер %1: Проверьте правильность имени и пароля!")
                         .arg(m_address.display()));
        }
        ServerAddress gone = m_address;
        gone.port = 1;
        ServerClient unreachable(gone);
        try {
            unreachable.grades("x");
            QFAIL("an unreachable server answered");
        } catch (const RuntimeError &error) {
            QVERIFY2(error.message().startsWith(
                         QStringLiteral("Сервер %1 недоступен: ").arg(gone.display())),
                     qPrintable(error.message()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_ServerClient)
#include "tst_serverclient.moc"
