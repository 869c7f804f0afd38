// SPDX-License-Identifier: GPL-3.0-or-later
// The administrator's tool sets a class up on the server: the database, the
// schema, the first administrator and the lab machines' Server= line, which
// then reaches the server as the lab does.
#include "ServerCluster.h"
#include "ServerSchema.h"
#include "TempWorkDir.h"
#include "TestFileMaker.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class tst_ServerCommand : public QObject
{
    Q_OBJECT

private:
    // The version the schema's newest file gives.
    static int newest()
    {
        return ServerSchema::files(qEnvironmentVariable("COURSEBOOK_SERVER_SQL")).last().version;
    }

    ToolRun tool(const QStringList &args, const QByteArray &input = QByteArray())
    {
        return ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), args, QDir::tempPath(), 120000,
                            input);
    }

private slots:
    void initAndStatus()
    {
        const QString why = ServerCluster::unavailable();
        if (!why.isEmpty())
            CB_SERVER_REQUIRED(why);
        QTemporaryDir dir;
        const QString database =
            QStringLiteral("cb_tool_%1").arg(QCoreApplication::applicationPid());
        const QString lineFile = dir.filePath(QStringLiteral("lab-line"));
        // The cluster's lab role already serves the other tests' classes:
        // the new class takes its password from their line.
        QFile old(lineFile);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(("Server=" + ServerCluster::labUri(QStringLiteral("other"))).toUtf8());
        old.close();
        const QStringList init{
            QStringLiteral("server"),      QStringLiteral("init"),
            QStringLiteral("--superuser"), ServerCluster::superuserUri(QStringLiteral("postgres")),
            QStringLiteral("--database"),  database,
            QStringLiteral("--host"),      QStringLiteral("127.0.0.1"),
            QStringLiteral("--port"),      ServerCluster::value("port"),
            QStringLiteral("--ca"),        ServerCluster::value("ca"),
            QStringLiteral("--admin"),     QStringLiteral("учитель"),
            QStringLiteral("--lab-line"),  lineFile};
        const ToolRun made = tool(init, "пароль-учителя\n");
        QVERIFY2(made.exitCode == 0, qPrintable(made.errText()));
        QVERIFY2(made.outText().contains(QStringLiteral("hostssl %1 coursebook_lab").arg(database)),
                 qPrintable(made.outText()));

        QFile line(lineFile);
        QVERIFY(line.open(QIODevice::ReadOnly));
        const QString server = QString::fromUtf8(line.readAll()).trimmed().mid(7);
        QVERIFY2(server.contains(QLatin1String("sslmode=verify-full")), qPrintable(server));
        const ToolRun status = tool({QStringLiteral("server"), QStringLiteral("status"),
                                     QStringLiteral("--server"), server});
        QVERIFY2(status.exitCode == 0, qPrintable(status.errText()));
        QVERIFY2(status.outText().contains(QStringLiteral("Версия схемы: %1").arg(newest())),
                 qPrintable(status.outText()));

        // The administrator set by init logs in through the API.
        const ToolRun login = ServerCluster::psql(
            server, "SELECT administrator FROM cb.login('учитель', 'пароль-учителя');");
        QCOMPARE(login.outText().trimmed(), QStringLiteral("t"));

        const QStringList upgrade{
            QStringLiteral("server"),      QStringLiteral("upgrade"),
            QStringLiteral("--superuser"), ServerCluster::superuserUri(QStringLiteral("postgres")),
            QStringLiteral("--database"),  database};
        const ToolRun same = tool(upgrade);
        QVERIFY2(same.exitCode == 0, qPrintable(same.errText()));
        QVERIFY2(same.outText().contains(QStringLiteral("уже версии %1").arg(newest())),
                 qPrintable(same.outText()));
        // A second init on the class refuses rather than start it anew.
        const ToolRun again = tool(init, "другой\n");
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.errText().contains(QStringLiteral("уже есть класс")),
                 qPrintable(again.errText()));
    }

    // publish, export and import through the tool, with the administrator's
    // login from a file; a wrong one changes nothing.
    void transfer_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("administrator") << QStringLiteral("a") << 0;
        QTest::newRow("wrong password") << QStringLiteral("b") << 1;
    }

    void transfer()
    {
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QString why;
        const QString database = ServerCluster::newDatabase(&why);
        if (database.isEmpty())
            CB_SERVER_REQUIRED(why);
        QCOMPARE(ServerCluster::psql(ServerCluster::superuserUri(database),
                                     "SELECT cb_private.init_settings('admin', 'a', 'log.txt');")
                     .exitCode,
                 0);
        QTemporaryDir dir;
        QFile login(dir.filePath(QStringLiteral("login")));
        QVERIFY(login.open(QIODevice::WriteOnly));
        login.write(QStringLiteral("admin\n%1\n").arg(password).toUtf8());
        login.close();
        QVERIFY(login.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        TempWorkDir folder;
        TestFileMaker::write("test1", "2");
        const QString test = folder.filePath(QStringLiteral("data/tests/test1.ini"));
        QFile file(test);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray scrambled = file.readAll();
        const QStringList common{QStringLiteral("--admin-login"), login.fileName(),
                                 QStringLiteral("server")};
        const QStringList server{QStringLiteral("--server"), ServerCluster::labUri(database)};
        const ToolRun published =
            tool(common + QStringList{QStringLiteral("publish"), QStringLiteral("test1"), test} +
                 server);
        QVERIFY2(published.exitCode == exitCode, qPrintable(published.errText()));
        const QString out = dir.filePath(QStringLiteral("class"));
        const ToolRun exported =
            tool(common +
                 QStringList{QStringLiteral("export"), QStringLiteral("--dir"), out,
                             QStringLiteral("--sheet"), dir.filePath("sheet.html")} +
                 server);
        QVERIFY2(exported.exitCode == exitCode, qPrintable(exported.errText()));
        if (exitCode != 0) {
            QVERIFY2(exported.errText().contains(QStringLiteral("входа администратора")),
                     qPrintable(exported.errText()));
            QVERIFY(!QFileInfo::exists(out));
            return;
        }
        QFile back(out + QStringLiteral("/data/tests/test1.ini"));
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), scrambled);
        // A class without users, runs or log lines takes the folder back.
        const ToolRun imported = tool(
            common + QStringList{QStringLiteral("import"), QStringLiteral("--dir"), out} + server);
        QVERIFY2(imported.exitCode == 0, qPrintable(imported.errText()));
        QVERIFY2(
            imported.outText().contains(QStringLiteral("пользователей 0, удалённых 0, тестов 1")),
            qPrintable(imported.outText()));
    }
};

QTEST_GUILESS_MAIN(tst_ServerCommand)
#include "tst_servercommand.moc"
