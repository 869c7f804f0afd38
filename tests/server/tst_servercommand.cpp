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

    // The class's administrator admin/a on a new database, and a login file
    // in `dir` ("login") giving `password`; false when either is not made.
    static bool administered(const QString &database, const QTemporaryDir &dir,
                             const QString &password)
    {
        if (ServerCluster::psql(ServerCluster::superuserUri(database),
                                "SELECT cb_private.init_settings('admin', 'a', 'log.txt');")
                .exitCode != 0)
            return false;
        QFile login(dir.filePath(QStringLiteral("login")));
        if (!login.open(QIODevice::WriteOnly))
            return false;
        login.write(QStringLiteral("admin\n%1\n").arg(password).toUtf8());
        login.close();
        return login.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
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
        // The superuser's address names the socket's folder only: the
        // cluster is the one on the port the lab's line names.
        const QString socketOnly =
            QStringLiteral("postgresql://postgres@/postgres?host=%1")
                .arg(QString::fromUtf8(QUrl::toPercentEncoding(ServerCluster::value("socket"))));
        const QStringList init{QStringLiteral("server"),      QStringLiteral("init"),
                               QStringLiteral("--superuser"), socketOnly,
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
        QTemporaryDir dir;
        QVERIFY(administered(database, dir, password));
        const QFile login(dir.filePath(QStringLiteral("login")));
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

    // The class's commands on the server, named with --server: the same
    // road as on a folder; the folder's own commands refuse it.
    void recordsOnServer()
    {
        QString why;
        const QString database = ServerCluster::newDatabase(&why);
        if (database.isEmpty())
            CB_SERVER_REQUIRED(why);
        QTemporaryDir dir;
        QVERIFY(administered(database, dir, QStringLiteral("a")));
        const QFile login(dir.filePath(QStringLiteral("login")));
        const QString uri = ServerCluster::labUri(database);
        const auto onServer = [&](const QStringList &args, const QByteArray &input = {}) {
            return tool(QStringList{QStringLiteral("--admin-login"), login.fileName()} + args +
                            QStringList{QStringLiteral("--server"), uri},
                        input);
        };
        const auto ok = [](const ToolRun &run) {
            if (run.exitCode != 0)
                qWarning("%s", qPrintable(run.errText()));
            return run.exitCode == 0;
        };
        QVERIFY(ok(onServer({"register", "alice", "pw"})));
        QVERIFY(ok(onServer({"register", "bob", "pw"})));
        QVERIFY(onServer({"users"}).outText().contains(QLatin1String("alice")));
        QVERIFY(ok(onServer({"passwd", "alice"}, "new\n")));
        QCOMPARE(ServerCluster::psql(uri, "SELECT count(*) FROM cb.login('alice', 'new');")
                     .outText()
                     .trimmed(),
                 QStringLiteral("1"));
        QVERIFY(ok(onServer({"rename", "alice", "alicia"})));
        QVERIFY(ok(onServer({"remove", "alicia"})));
        const ToolRun list = onServer({"restore", "--list", "alicia"});
        QVERIFY2(list.outText().startsWith(QStringLiteral("удалён ")), qPrintable(list.outText()));
        QVERIFY(ok(onServer({"restore", "alicia"})));
        // A grade set by hand lands with its line in the record of changes.
        QVERIFY(ok(onServer({"grade", "bob", "test1", "4", "--reason", "retake"})));
        QCOMPARE(ServerCluster::psql(ServerCluster::superuserUri(database),
                                     "SELECT grades[1] FROM cb_private.users WHERE name = 'bob';")
                     .outText()
                     .trimmed(),
                 QStringLiteral("4"));
        const QString html = dir.filePath(QStringLiteral("report.html"));
        QVERIFY(ok(onServer({"report", "--html", html})));
        QVERIFY(QFileInfo(html).size() > 0);
        const QString kept = dir.filePath(QStringLiteral("kept"));
        QVERIFY(ok(onServer({"archive", kept})));
        QVERIFY(QFileInfo::exists(kept + QStringLiteral("/users.ini")));
        QVERIFY(onServer({"users"}).outText().indexOf(QLatin1String("bob")) < 0);
        // Run through the lab's own address, the server is ready but for its tests.
        const ToolRun doctor = onServer({"doctor"});
        QVERIFY2(doctor.outText().contains(QStringLiteral("готов")), qPrintable(doctor.outText()));
        QCOMPARE(doctor.exitCode, 0);

        const ToolRun convert = onServer({"convert", "x.txt", "test1"});
        QCOMPARE(convert.exitCode, 1);
        QVERIFY2(convert.errText().contains(QStringLiteral("только с папкой курса")),
                 qPrintable(convert.errText()));
        const ToolRun both = onServer({"users", "--dir", dir.path()});
        QCOMPARE(both.exitCode, 1);
        QVERIFY2(both.errText().contains(QStringLiteral("не оба")), qPrintable(both.errText()));
        // A server nobody listens on is unreachable, not a refused login.
        const ToolRun down = tool({QStringLiteral("--admin-login"), login.fileName(),
                                   QStringLiteral("users"), QStringLiteral("--server"),
                                   QStringLiteral("postgresql://lab:x@127.0.0.1:1/none")});
        QCOMPARE(down.exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(tst_ServerCommand)
#include "tst_servercommand.moc"
