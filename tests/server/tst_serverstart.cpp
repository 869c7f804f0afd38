// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start on the class's server: which server the command line
// or the system settings name, and a server that does not answer said with
// its cause and tried again.
#include "ServerCluster.h"
#include "ServerStart.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

class tst_ServerStart : public QObject
{
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("host"); // empty: the course folder keeps the class
        QTest::addColumn<QString>("why");
        const QString lab = QStringLiteral("postgresql://lab@10.0.0.5:5433/class7");
        const QString once = QStringLiteral("postgresql://lab@127.0.0.1:5433/class8");
        QTest::newRow("neither") << QString() << QString() << QString() << QString();
        QTest::newRow("the system's") << QString() << lab << "10.0.0.5" << QString();
        QTest::newRow("the command line's first") << once << lab << "127.0.0.1" << QString();
        QTest::newRow("command line broken") << QStringLiteral("http://x/y") << lab << QString()
                                             << QStringLiteral("параметр --server: ");
        QTest::newRow("system broken")
            << QString() << QStringLiteral("postgresql://lab@host") << QString()
            << QStringLiteral("параметр Server в /etc/xdg/coursebook/coursebook.conf: ");
    }

    void choose()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, system);
        QFETCH(QString, host);
        QFETCH(QString, why);
        const ServerStart::Choice choice = ServerStart::choose(commandLine, system);
        QCOMPARE(choice.address.has_value(), !host.isEmpty());
        if (choice.address)
            QCOMPARE(choice.address->host, host);
        QCOMPARE(choice.why.isEmpty(), why.isEmpty());
        QVERIFY2(choice.why.startsWith(why), qPrintable(choice.why));
    }

    void unreachable_data()
    {
        QTest::addColumn<bool>("listening");
        // Refused at once.
        QTest::newRow("nothing listens") << false;
        // A host that takes the connection and never answers: the
        // connection's timeout ends the wait.
        QTest::newRow("silent listener") << true;
    }

    void unreachable()
    {
        QFETCH(bool, listening);
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        const quint16 port = listener.serverPort();
        if (!listening)
            listener.close();
        QString why;
        const ServerAddress address = ServerAddress::parse(
            QStringLiteral("postgresql://lab:pw@127.0.0.1:%1/class7?connect_timeout=2").arg(port),
            &why);
        QVERIFY(why.isEmpty());
        ServerStart start(address, QStringLiteral("сервере ") + address.display());
        QVERIFY(start.waitingText().contains(address.display()));
        QSignalSpy failed(&start, &ServerStart::failed);
        QSignalSpy reached(&start, &ServerStart::reached);
        start.attempt();
        QVERIFY(start.attempting());
        // The loop goes on while the driver waits.
        QVERIFY(failed.wait(15000));
        QVERIFY(!start.attempting());
        const QString text = failed.at(0).at(0).toString();
        QVERIFY2(text.startsWith(QStringLiteral("Записи класса хранятся на сервере ") +
                                 address.display() + QStringLiteral(", но он не отвечает.")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Причина: ")) &&
                     text.section(QStringLiteral("Причина: "), 1).size() > 30,
                 qPrintable(text));
        QCOMPARE(reached.count(), 0);
    }

    // The same start tried again once the server lets the lab in.
    void retried()
    {
        QString why;
        const QString database = ServerCluster::newDatabase(&why);
        if (database.isEmpty())
            CB_SERVER_REQUIRED(why);
        const ServerAddress address = ServerAddress::parse(ServerCluster::labUri(database), &why);
        const auto allow = [&database](bool allowed) {
            return ServerCluster::psql(ServerCluster::superuserUri(QStringLiteral("postgres")),
                                       "ALTER DATABASE \"" + database.toUtf8() +
                                           "\" ALLOW_CONNECTIONS " + (allowed ? "true" : "false") +
                                           ";")
                .exitCode;
        };
        QCOMPARE(allow(false), 0);
        ServerStart start(address, QStringLiteral("сервере ") + address.display());
        QSignalSpy failed(&start, &ServerStart::failed);
        QSignalSpy reached(&start, &ServerStart::reached);
        start.attempt();
        QVERIFY(failed.wait(15000));
        QVERIFY2(failed.at(0).at(0).toString().contains(database),
                 qPrintable(failed.at(0).at(0).toString()));
        QCOMPARE(allow(true), 0);
        start.attempt();
        QVERIFY(reached.wait(15000));
        QCOMPARE(failed.count(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ServerStart)
#include "tst_serverstart.moc"
