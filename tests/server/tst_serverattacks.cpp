// SPDX-License-Identifier: GPL-3.0-or-later
// What a student holding the lab's connection settings tries against the
// class's server, with psql and with QtSql as the program's driver connects:
// every try is refused and no secret of another user reaches the student or
// the server's log. The road of a class through the API still works.
#include "ServerAddress.h"
#include "ServerCluster.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

const QString AdminPassword = QStringLiteral("адм-секрет-41");
const QString AlicePassword = QStringLiteral("alice-pw-8812");
const QString BobPassword = QStringLiteral("боб-пароль-5530");
const QString TypedPassword = QStringLiteral("typed-secret-9907");
// The right answers of test1's ten questions.
const QList<int> Keys{2, 4, 1, 3, 5, 2, 4, 1, 3, 5};

QString questionsJson(int count)
{
    QStringList items;
    for (int i = 0; i < count; ++i)
        items << QStringLiteral("{\"question\":\"Вопрос %1\",\"answers\":[\"а\",\"б\",\"в\","
                                "\"г\",\"д\"],\"key\":%2}")
                     .arg(i + 1)
                     .arg(Keys.at(i));
    return u'[' + items.join(u',') + u']';
}

} // namespace

class tst_ServerAttacks : public QObject
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    QString m_adminToken, m_aliceToken, m_bobToken;
    qint64 m_aliceRun = 0, m_bobRun = 0;

    QSqlDatabase lab(const QString &name)
    {
        QString why;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!db.isValid())
            db = ServerAddress::parse(ServerCluster::labUri(m_database), &why).connection(name);
        if (!db.isOpen() && !db.open())
            qWarning() << "lab connection:" << db.lastError().text();
        return db;
    }

    // One row of the first column of a call made through the driver.
    QVariant call(const QString &connection, const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery query(lab(connection));
        query.prepare(sql);
        for (const QVariant &v : values)
            query.addBindValue(v);
        if (!query.exec()) {
            qWarning() << sql << query.lastError().databaseText();
            return QVariant();
        }
        return query.next() ? query.value(0) : QVariant();
    }

    QString expand(QString script) const
    {
        return script.replace(QLatin1String("{alice}"), m_aliceToken)
            .replace(QLatin1String("{alice_run}"), QString::number(m_aliceRun))
            .replace(QLatin1String("{bob_run}"), QString::number(m_bobRun))
            .replace(QLatin1String("{typed}"), TypedPassword);
    }

    QStringList secrets() const
    {
        return {AdminPassword, BobPassword, m_bobToken, m_adminToken, QStringLiteral("$2a$")};
    }

private slots:
    void initTestCase()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            return;
        const ToolRun init = ServerCluster::psql(
            ServerCluster::superuserUri(m_database),
            QStringLiteral("SELECT cb_private.init_settings('admin', '%1', 'testlog.txt');")
                .arg(AdminPassword)
                .toUtf8());
        QCOMPARE(init.exitCode, 0);
        m_adminToken =
            call("setup", "SELECT token FROM cb.login(?, ?)", {"admin", AdminPassword}).toString();
        QVERIFY(!m_adminToken.isEmpty());
        for (int test = 1; test <= 3; ++test)
            QCOMPARE(call("setup", "SELECT cb.admin_publish(?, ?::smallint, ?, ?, ?::jsonb)",
                          {m_adminToken, test, QByteArray("file"), "0123abcd", questionsJson(10)})
                         .toInt(),
                     1);
        call("setup", "SELECT cb.admin_set_limits(?, 2::smallint, 1, NULL)", {m_adminToken});
        call("setup", "SELECT cb.admin_set_limits(?, 3::smallint, NULL, 3600)", {m_adminToken});
        call("setup", "SELECT cb.register(?, ?)", {"alice", AlicePassword});
        call("setup", "SELECT cb.register(?, ?)", {"Боб", BobPassword});
        m_aliceToken =
            call("setup", "SELECT token FROM cb.login(?, ?)", {"alice", AlicePassword}).toString();
        m_bobToken =
            call("setup", "SELECT token FROM cb.login(?, ?)", {"БОБ", BobPassword}).toString();
        m_bobRun = call("setup", "SELECT run FROM cb.start_run(?, 1::smallint)", {m_bobToken})
                       .toLongLong();
        call("setup", "SELECT cb.answer(?, ?, 1, 4::smallint)", {m_bobToken, m_bobRun});
        call("setup", "SELECT run FROM cb.start_run(?, 2::smallint)", {m_aliceToken});
        m_aliceRun = call("setup", "SELECT run FROM cb.start_run(?, 3::smallint)", {m_aliceToken})
                         .toLongLong();
        call("setup", "SELECT cb.answer(?, ?, 1, 2::smallint)", {m_aliceToken, m_aliceRun});
        // Bob stays connected, his log-in the last statement of his session.
        call("bob", "SELECT cb.login(?, ?)", {"Боб", BobPassword});
        QVERIFY(m_aliceRun > 0 && m_bobRun > 0 && !m_bobToken.isEmpty());
        // Statistics of the tables, which the catalog shows to their readers.
        ServerCluster::psql(ServerCluster::superuserUri(m_database), "ANALYZE;");
    }

    void cleanupTestCase()
    {
        for (const QString &name :
             {QStringLiteral("setup"), QStringLiteral("bob"), QStringLiteral("attacker")}) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }

    void attack_data()
    {
        QTest::addColumn<bool>("qt");
        QTest::addColumn<QString>("script");
        // A fragment of the refusal, or empty where the statement may run
        // but must show nothing.
        QTest::addColumn<QString>("refusal");

        const QString denied = QStringLiteral("permission denied");
        const struct
        {
            const char *name;
            const char *script;
            QString refusal;
        } rows[] = {
            {"read users' hashes", "SELECT hash FROM cb_private.users;", denied},
            {"read sessions' tokens", "SELECT * FROM cb_private.sessions;", denied},
            {"read the keys", "SELECT key FROM cb_private.questions;", denied},
            {"read another's answers", "SELECT * FROM cb_private.answers;", denied},
            {"read the settings", "SELECT admin_hash FROM cb_private.settings;", denied},
            {"read the runs", "SELECT right_count, grade FROM cb_private.runs;", denied},
            {"column statistics",
             "SELECT most_common_vals FROM pg_stats WHERE schemaname LIKE 'cb%';", QString()},
            {"role passwords", "SELECT rolpassword FROM pg_authid;", denied},
            {"functions' rights", "SELECT cb_private.grade(1, 1);", denied},
            {"update a grade", "UPDATE cb_private.users SET grades[1] = 5;", denied},
            {"insert a run", "INSERT INTO cb_private.runs (user_id, test) VALUES (1, 1);", denied},
            {"answer another's run", "SELECT cb.answer('{alice}', {bob_run}, 2, 1::smallint);",
             "no_open_run"},
            {"finish another's run", "SELECT * FROM cb.finish_run('{alice}', {bob_run});",
             "no_open_run"},
            {"answer again otherwise", "SELECT cb.answer('{alice}', {alice_run}, 1, 3::smallint);",
             "answered"},
            {"rollback probe",
             "BEGIN;\nSELECT cb.answer('{alice}', {alice_run}, 2, 1::smallint);\n"
             "SELECT * FROM cb.finish_run('{alice}', {alice_run});\nROLLBACK;",
             "in_transaction"},
            {"probe in one message",
             "SELECT cb.answer('{alice}', {alice_run}, 2, 1::smallint) \\; "
             "SELECT * FROM cb.open_run('{alice}');",
             "in_transaction"},
            {"finish before every answer", "SELECT * FROM cb.finish_run('{alice}', {alice_run});",
             "unanswered"},
            {"attempt limit", "SELECT * FROM cb.start_run('{alice}', 2::smallint);",
             "attempt_limit"},
            {"pause between runs", "SELECT * FROM cb.start_run('{alice}', 3::smallint);", "pause"},
            {"DO loop of guesses",
             "DO $$ BEGIN FOR i IN 1..1000 LOOP PERFORM cb.login('Боб', i::text); END LOOP; "
             "END $$;",
             denied},
            {"set grades as a student",
             "SELECT cb.admin_set_grades('{alice}', 'alice', '{5,5,5,5,5,5,5,5,5,5,5,5}');",
             "not_administrator"},
            {"list the class as a student", "SELECT * FROM cb.admin_list('{alice}');",
             "not_administrator"},
            {"digest the records as a student", "SELECT cb.admin_records_digest('{alice}');",
             "not_administrator"},
            {"new semester as a student", "SELECT cb.admin_new_semester('{alice}', '');",
             "not_administrator"},
            {"grade changes as a student",
             "SELECT cb.admin_record_grade_changes('{alice}', '[]', "
             "'[{\"user\": \"alice\", \"test\": 1, \"expected\": -1, \"grade\": 5}]');",
             "not_administrator"},
            {"read the changes as a student", "SELECT * FROM cb.admin_change_lines('{alice}');",
             "not_administrator"},
            {"restore a removal as a student",
             "SELECT cb.admin_restore_removal('{alice}', 1, 'replace');", "not_administrator"},
            {"read the removals as a student", "SELECT * FROM cb.admin_removals('{alice}', 'bob');",
             "not_administrator"},
            {"remove an account without its session", "SELECT cb.remove_own('forged');",
             "no_session"},
            {"import past the class's check", "SELECT * FROM cb_private.import_records('x', '{}');",
             denied},
            {"large object", "SELECT lo_from_bytea(0, 'x');", denied},
            {"large object by number", "SELECT lo_create(0);", denied},
            {"SET ROLE", "SET ROLE coursebook_owner;", denied},
            {"create a table", "CREATE TABLE public.t (i integer);", denied},
            {"create a temporary table", "CREATE TEMPORARY TABLE t (i integer);", denied},
            {"create a schema", "CREATE SCHEMA mine;", denied},
            {"create a function", "CREATE FUNCTION cb.f() RETURNS int LANGUAGE sql AS 'SELECT 1';",
             denied},
            {"tracking back on", "SET track_activities = on;", denied},
            {"statement log back on", "SET log_min_error_statement = error;", denied},
            {"another's statement",
             "SELECT query FROM pg_stat_activity WHERE query NOT LIKE '<%' AND query <> '';",
             QString()},
            {"another's statement by backend",
             "SELECT a FROM (SELECT pg_stat_get_backend_activity(b) a "
             "FROM pg_stat_get_backend_idset() b) s WHERE a NOT LIKE '<%' AND a <> '';",
             QString()},
            {"typed password in the log", "SELECT cb.login('Боб', '{typed}' || 1/0);",
             "division by zero"},
            {"typed password in a broken statement", "SELECT cb.login('Боб', '{typed}';",
             "syntax error"},
            {"statement time limit", "SELECT pg_sleep(30);", "statement timeout"},
        };
        for (const auto &row : rows) {
            for (const bool qt : {false, true}) {
                // psql alone sends "\;" as one message.
                if (qt && QByteArray(row.script).contains("\\;"))
                    continue;
                // The time limit once is enough.
                if (qt && QByteArray(row.name) == "statement time limit")
                    continue;
                QTest::addRow("%s (%s)", row.name, qt ? "QtSql" : "psql")
                    << qt << QString::fromUtf8(row.script) << row.refusal;
            }
        }
    }

    void attack()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        QFETCH(bool, qt);
        QFETCH(QString, script);
        QFETCH(QString, refusal);
        QString output;
        bool failed = false;
        if (qt) {
            {
                // A statement a line, as the driver sends them, to the first refusal.
                QSqlQuery query(lab("attacker"));
                for (const QString &statement : expand(script).split(u'\n')) {
                    failed = !query.exec(statement);
                    output += query.lastError().databaseText();
                    while (query.next()) {
                        for (int i = 0; i < query.record().count(); ++i)
                            output += query.value(i).toString() + u'\n';
                    }
                    if (failed)
                        break;
                }
            }
            // A refusal inside BEGIN leaves the session's transaction aborted.
            QSqlDatabase::database("attacker", false).close();
        } else {
            const ToolRun run =
                ServerCluster::psql(ServerCluster::labUri(m_database), expand(script).toUtf8());
            failed = run.exitCode != 0;
            output = run.outText() + run.errText();
        }
        if (refusal.isEmpty()) {
            QVERIFY2(!failed, qPrintable(output));
            QVERIFY2(output.trimmed().isEmpty(), qPrintable(output));
        } else {
            QVERIFY2(failed, qPrintable(output));
            QVERIFY2(output.contains(refusal), qPrintable(output));
        }
        const QString log = QString::fromUtf8(ServerCluster::log());
        for (const QString &secret : secrets()) {
            QVERIFY2(!output.contains(secret), qPrintable(secret));
            QVERIFY2(!log.contains(secret), qPrintable(secret + QStringLiteral(" in the log")));
        }
        // The student's own typing comes back to the student, but not into the log.
        QVERIFY2(!log.contains(TypedPassword), "the typed password is in the log");
    }

    // A student opening connection after connection stops at the lab role's
    // limit; the teacher's superuser still gets in.
    void connectionLimit()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        QString why;
        const ServerAddress address = ServerAddress::parse(ServerCluster::labUri(m_database), &why);
        QStringList names;
        QString refusal;
        for (int i = 0; i < 100 && refusal.isEmpty(); ++i) {
            names << QStringLiteral("hog%1").arg(i);
            QSqlDatabase db = address.connection(names.last());
            if (!db.open())
                refusal = db.lastError().databaseText();
        }
        const ToolRun teacher =
            ServerCluster::psql(ServerCluster::superuserUri(m_database), "SELECT 1;");
        for (const QString &name : names) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        QVERIFY2(refusal.contains(QLatin1String("too many connections for role")),
                 qPrintable(refusal));
        QCOMPARE(teacher.exitCode, 0);
    }

    // Without TLS the lab role does not get in at all.
    void plainConnection()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        QString uri = ServerCluster::labUri(m_database);
        uri.replace(QLatin1String("sslmode=verify-full"), QLatin1String("sslmode=disable"));
        const ToolRun run = ServerCluster::psql(uri, "SELECT 1;");
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.errText().contains(QLatin1String("pg_hba.conf rejects connection")),
                 qPrintable(run.errText()));
    }

    // Register, log in, a run of right answers, and what the report reads.
    void road()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        call("road", "SELECT cb.register(?, ?)", {"Вера", "pw"});
        const QString token =
            call("road", "SELECT token FROM cb.login(?, ?)", {"ВЕРА", "pw"}).toString();
        QVERIFY(!token.isEmpty());
        const qint64 run =
            call("road", "SELECT run FROM cb.start_run(?, 1::smallint)", {token}).toLongLong();
        for (int i = 0; i < Keys.size(); ++i)
            call("road", "SELECT cb.answer(?, ?, ?, ?::smallint)",
                 {token, run, i + 1, i < 8 ? Keys.at(i) : Keys.at(i) % 5 + 1});
        QCOMPARE(call("road", "SELECT grade FROM cb.finish_run(?, ?)", {token, run}).toInt(), 5);
        QCOMPARE(call("road", "SELECT grades[1] FROM cb.admin_users(?) WHERE name = 'Вера'",
                      {m_adminToken})
                     .toInt(),
                 5);
        QCOMPARE(call("road",
                      "SELECT user_name || ' ' || test || ' ' || grade FROM cb.admin_log(?) "
                      "ORDER BY at DESC LIMIT 1",
                      {m_adminToken})
                     .toString(),
                 QStringLiteral("Вера 1 5"));
        QCOMPARE(call("road",
                      "SELECT chosen || ' ' || right_digits FROM cb.admin_answers(?) "
                      "WHERE user_name = 'Вера'",
                      {m_adminToken})
                     .toString(),
                 QStringLiteral("2413524141 2413524135"));
        QSqlDatabase::database("road", false).close();
        QSqlDatabase::removeDatabase("road");
    }
};

QTEST_GUILESS_MAIN(tst_ServerAttacks)
#include "tst_serverattacks.moc"
