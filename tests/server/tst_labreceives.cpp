// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a lab machine receives from the server in a student's whole
// session (registration, log-in, a run answered and finished, its review,
// the grades, when a test can be taken again) read off the wire, and looked
// through for a key, a password hash or another user's data. The session
// goes through a relay on the loopback address that keeps what the server
// sends; the server lets the lab's role in without TLS from the relay's
// address only, so what the relay keeps is what the driver decodes.
#include "ServerCluster.h"
#include "ServerRun.h"

#include <QHostAddress>
#include <QMutex>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The keys 4 2 5 3 4; the student answers 1 to each, so nothing the student
// chose spells them.
const char *const Questions =
    "[{\"question\":\"Q-one\",\"answers\":[\"a1\",\"a2\",\"a3\",\"a4\",\"a5\"],\"key\":4},"
    "{\"question\":\"Q-two\",\"answers\":[\"b1\",\"b2\",\"b3\",\"b4\",\"b5\"],\"key\":2},"
    "{\"question\":\"Q-three\",\"answers\":[\"c1\",\"c2\",\"c3\",\"c4\",\"c5\"],\"key\":5},"
    "{\"question\":\"Q-four\",\"answers\":[\"d1\",\"d2\",\"d3\",\"d4\",\"d5\"],\"key\":3},"
    "{\"question\":\"Q-five\",\"answers\":[\"e1\",\"e2\",\"e3\",\"e4\",\"e5\"],\"key\":4}]";

// Passes each connection on to the server from 127.0.0.2 and keeps every
// byte the server sends back. Lives on a thread of its own, as the calls
// under test block the thread that makes them.
class Relay : public QObject
{
public:
    explicit Relay(quint16 serverPort) : m_serverPort(serverPort), m_listener(this) {}

    void listen()
    {
        connect(&m_listener, &QTcpServer::newConnection, this, &Relay::pass);
        m_listener.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return m_listener.serverPort(); }

    QByteArray received() const
    {
        QMutexLocker locked(&m_mutex);
        return m_received;
    }

private:
    void pass()
    {
        while (QTcpSocket *client = m_listener.nextPendingConnection()) {
            auto *server = new QTcpSocket(client);
            server->bind(QHostAddress(u"127.0.0.2"_s));
            server->connectToHost(QHostAddress::LocalHost, m_serverPort);
            connect(client, &QTcpSocket::readyRead, server,
                    [client, server] { server->write(client->readAll()); });
            connect(server, &QTcpSocket::connected, server,
                    [client, server] { server->write(client->readAll()); });
            connect(server, &QTcpSocket::readyRead, client, [this, client, server] {
                const QByteArray bytes = server->readAll();
                {
                    QMutexLocker locked(&m_mutex);
                    m_received += bytes;
                }
                client->write(bytes);
            });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        }
    }

    const quint16 m_serverPort;
    QTcpServer m_listener;
    mutable QMutex m_mutex;
    QByteArray m_received;
};

} // namespace

class tst_LabReceives : public QObject
{
    Q_OBJECT

private slots:
    void nothingReceivedHoldsAKeyOrAHash();
};

void tst_LabReceives::nothingReceivedHoldsAKeyOrAHash()
{
    QString why;
    const QString database = ServerCluster::newDatabase(&why);
    if (database.isEmpty())
        CB_SERVER_REQUIRED(why);
    const ServerAddress tls = ServerCluster::labAddress(database);
    QVERIFY(ServerCluster::initSettings(database, "a"));
    // Another student with a finished run, whose name and grade are theirs.
    {
        ServerClient admin(tls);
        admin.rows(u"SELECT cb.admin_publish(?, 1::smallint, ?, 'feedbeef', ?::jsonb)"_s,
                   {admin.login(u"admin"_s, u"a"_s).token, QByteArray("test"),
                    QString::fromLatin1(Questions)});
        ServerClient other(tls);
        other.registerUser(u"Соседка"_s, u"её-пароль"_s);
        const QString token = other.login(u"Соседка"_s, u"её-пароль"_s).token;
        const ServerClient::Run run = other.startRun(token, 1);
        for (int q = 1; q <= 5; ++q)
            other.answer(token, run.id, q, QList<int>{4, 2, 5, 3, 4}.at(q - 1));
        QCOMPARE(other.finishRun(token, run.id).grade, 5);
    }

    QThread thread;
    Relay relay(quint16(ServerCluster::value("port").toUInt()));
    relay.moveToThread(&thread);
    thread.start();
    QMetaObject::invokeMethod(&relay, &Relay::listen, Qt::BlockingQueuedConnection);
    const auto stop = qScopeGuard([&thread] {
        thread.quit();
        thread.wait();
    });
    QVERIFY(relay.port() != 0);
    ServerAddress relayed = tls;
    relayed.port = relay.port();
    relayed.options = QStringList{u"sslmode"_s, u"disable"_s};

    // The student's session as the program makes it.
    ServerClient client(relayed);
    client.registerUser(u"Студент"_s, u"пароль"_s);
    const QString token = client.login(u"Студент"_s, u"пароль"_s).token;
    {
        ServerRun run(relayed, token);
        QSignalSpy started(&run, &RunSource::started);
        QSignalSpy finished(&run, &RunSource::finished);
        run.start("test1");
        QVERIFY(started.wait());
        for (int q = 0; q < 5; ++q)
            run.answer(1);
        QVERIFY(finished.wait());
        QCOMPARE(run.grade(), 1);
        QTRY_COMPARE(run.mistakes().size(), 5);
    }
    QCOMPARE(client.grades(token).at(0), quint8(1));
    client.availability(token);
    client.logout(token);

    const QByteArray received = relay.received();
    // The relay saw the session: the questions and the answers came through it.
    for (const char *shown : {"Q-one", "Q-five", "e5"})
        QVERIFY2(received.contains(shown), shown);
    // No key in any spelling a column, an array or JSON would give.
    for (const char *key : {"42534", "4,2,5,3,4", "4, 2, 5, 3, 4", "\"key\"", "{4,2,5,3,4}"})
        QVERIFY2(!received.contains(key), key);
    // No hash, the administrator's, a student's own, nor the neighbour's.
    const QList<QByteArray> hashes =
        ServerCluster::superuser(database, "SELECT hash FROM cb_private.users "
                                           "UNION ALL SELECT admin_hash FROM cb_private.settings;")
            .split('\n');
    QCOMPARE(hashes.size(), 3);
    for (const QByteArray &hash : hashes) {
        QVERIFY(hash.size() > 20);
        // The salt alone would do for a guess at the password.
        QVERIFY2(!received.contains(hash.trimmed().left(20)), hash.constData());
    }
    // Nothing of the other student.
    for (const QString &theirs : {u"Соседка"_s, u"её-пароль"_s})
        QVERIFY(!received.contains(theirs.toUtf8()));
}

QTEST_GUILESS_MAIN(tst_LabReceives)
#include "tst_labreceives.moc"
