// SPDX-License-Identifier: GPL-3.0-or-later
// A student's test run on a real server through the run's own thread: the
// grade from the server, the connection killed or the server away mid-run
// with no answer lost, a run left open taken up at the next log-in (with the
// answers the machine kept while the server was away), the
// attempt limit and the pause refused with when the test can be taken
// again, and nothing the lab machine receives holding a key.
#include "ServerCluster.h"
#include "ServerRun.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The keys are 2, 1, 3: the answers 2, 1, 5 are two of three right.
const char *const Questions =
    "[{\"question\":\"2+2\",\"answers\":[\"3\",\"4\",\"5\",\"6\",\"7\"],\"key\":2},"
    "{\"question\":\"3+3\",\"answers\":[\"6\",\"4\",\"5\",\"3\",\"7\"],\"key\":1},"
    "{\"question\":\"1+1\",\"answers\":[\"3\",\"4\",\"2\",\"6\",\"7\"],\"key\":3}]";

} // namespace

class tst_ServerRun : public QObject
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;
    QString m_adminToken;
    int m_users = 0;

    void allowConnections(bool allowed)
    {
        QVERIFY(ServerCluster::allowConnections(m_database, allowed));
    }

    void dropConnections() { QVERIFY(ServerCluster::dropConnections(m_database) > 0); }

    // A new student's session: the token of the log-in.
    QString student()
    {
        ServerClient client(m_address);
        const QString name = QStringLiteral("Студент%1").arg(++m_users);
        client.registerUser(name, QStringLiteral("пароль"));
        return client.login(name, QStringLiteral("пароль")).token;
    }

    void setLimits(const QVariant &attempts, const QVariant &pause)
    {
        ServerClient admin(m_address);
        admin.rows("SELECT cb.admin_set_limits(?, 1::smallint, ?::integer, ?::integer)",
                   {m_adminToken, attempts, pause});
    }

    static void answerAll(ServerRun &run, const QList<int> &digits)
    {
        for (int digit : digits)
            run.answer(digit);
    }

private slots:
    void initTestCase()
    {
        // The answers kept while the server is away stay out of the home.
        QStandardPaths::setTestModeEnabled(true);
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            return;
        m_address = ServerCluster::labAddress(m_database);
        QVERIFY(ServerCluster::initSettings(m_database, "a"));
        ServerClient admin(m_address);
        m_adminToken = admin.login("admin", "a").token;
        admin.rows("SELECT cb.admin_publish(?, 1::smallint, ?, 'feedbeef', ?::jsonb)",
                   {m_adminToken, QByteArray("test"), QString::fromLatin1(Questions)});
    }

    void init()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        setLimits(QVariant(), QVariant());
    }

    void cleanup()
    {
        if (!m_database.isEmpty())
            allowConnections(true);
    }

    void graded_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("none") << QString();
        // The connection made again at once: the student sees nothing.
        QTest::newRow("connection killed") << QStringLiteral("killed");
        // The server out of reach for a while: told, answered on, sent later.
        QTest::newRow("server away") << QStringLiteral("away");
    }

    void graded()
    {
        QFETCH(QString, trouble);
        ServerRun run(m_address, student());
        QSignalSpy started(&run, &RunSource::started);
        QSignalSpy finished(&run, &RunSource::finished);
        QSignalSpy lost(&run, &RunSource::connectionLost);
        QSignalSpy back(&run, &RunSource::connectionBack);
        run.start("test1");
        QVERIFY(started.wait());
        QCOMPARE(run.question().number, 1);
        QCOMPARE(run.question().count, 3);
        QCOMPARE(run.question().answers[1], QByteArray("4"));
        run.answer(2);
        QTRY_COMPARE(run.unsentCount(), 0);
        if (trouble == QLatin1String("away"))
            allowConnections(false);
        if (!trouble.isEmpty())
            dropConnections();
        answerAll(run, {1, 5});
        if (trouble == QLatin1String("away")) {
            QVERIFY(lost.wait());
            QVERIFY(lost.at(0).at(0).toString().contains(m_address.display()));
            QVERIFY(!run.isOver());
            QCOMPARE(run.unsentCount(), 2);
            allowConnections(true);
            QVERIFY(back.wait(10000));
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(lost.size(), trouble == QLatin1String("away") ? 1 : 0);
        // 2 of 3 is 66.7 per cent.
        QCOMPARE(run.grade(), 4);
        QCOMPARE(run.rightCount(), 2);
        QCOMPARE(run.grades()[0], quint8(4));
        // The review: the third answered wrong, as it was shown.
        QCOMPARE(run.mistakes().size(), 1);
        QCOMPARE(run.mistakes().at(0).number, 3);
        QCOMPARE(run.mistakes().at(0).question, QByteArray("1+1"));
        QCOMPARE(run.mistakes().at(0).answer, QByteArray("7"));
        QCOMPARE(ServerCluster::superuser(m_database,
                                          "SELECT string_agg(a.digit::text, '' ORDER BY a.number) "
                                          "FROM cb_private.answers a JOIN cb_private.runs r ON "
                                          "r.id = a.run_id JOIN cb_private.users u ON "
                                          "u.id = r.user_id WHERE u.name = 'Студент" +
                                              QByteArray::number(m_users) + "';"),
                 QByteArray("215"));
    }

    void resumedAfterKill_data()
    {
        QTest::addColumn<bool>("away");
        QTest::newRow("server there") << false;
        // The second answer given while the server is away, and the program
        // ended before it is back: kept on the machine, it goes in first.
        QTest::newRow("server away") << true;
    }

    void resumedAfterKill()
    {
        QFETCH(bool, away);
        QTemporaryDir unsent;
        const QString token = student();
        {
            ServerRun first(m_address, token);
            first.setUnsentFolder(unsent.path());
            QSignalSpy started(&first, &RunSource::started);
            QSignalSpy lost(&first, &RunSource::connectionLost);
            first.start("test1");
            QVERIFY(started.wait());
            first.answer(2);
            QTRY_COMPARE(first.unsentCount(), 0);
            if (away) {
                allowConnections(false);
                dropConnections();
            }
            first.answer(4);
            if (away) {
                QVERIFY(lost.wait());
                QCOMPARE(first.unsentCount(), 1);
                QCOMPARE(QDir(unsent.path()).entryList(QDir::Files).size(), 1);
            }
            QTRY_COMPARE(first.unsentCount(), int(away));
        }
        allowConnections(true);
        ServerClient client(m_address);
        const QString name = QStringLiteral("Студент%1").arg(m_users);
        ServerRun again(m_address, client.login(name, QStringLiteral("пароль")).token);
        again.setUnsentFolder(unsent.path());
        QSignalSpy found(&again, &ServerRun::openRunFound);
        QSignalSpy started(&again, &RunSource::started);
        QSignalSpy finished(&again, &RunSource::finished);
        again.lookForOpenRun();
        QVERIFY(found.wait());
        QCOMPARE(found.at(0).at(0).toByteArray(), QByteArray("test1"));
        QCOMPARE(found.at(0).at(1).toInt(), 3);
        // Nothing is left on the machine once the server has it.
        QVERIFY(QDir(unsent.path()).isEmpty());
        again.resume();
        QCOMPARE(started.size(), 1);
        QCOMPARE(again.question().number, 3);
        QCOMPARE(again.question().text, QByteArray("1+1"));
        again.answer(3);
        QVERIFY(finished.wait());
        QCOMPARE(again.rightCount(), 2);
        QCOMPARE(again.grade(), 4);
    }

    void refusedStart_data()
    {
        QTest::addColumn<QVariant>("attempts");
        QTest::addColumn<QVariant>("pause");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("menu"); // what the test's entry adds
        QTest::newRow("attempt limit") << QVariant(1) << QVariant()
                                       << QStringLiteral("попыток этого теста больше нет "
                                                         "(разрешено 1). Пройти тест снова "
                                                         "можно, только если преподаватель")
                                       << QStringLiteral("попыток больше нет");
        QTest::newRow("pause") << QVariant() << QVariant(7200)
                               << QStringLiteral("Тест можно будет пройти снова в ")
                               << QStringLiteral("снова в ");
    }

    void refusedStart()
    {
        QFETCH(QVariant, attempts);
        QFETCH(QVariant, pause);
        QFETCH(QString, says);
        QFETCH(QString, menu);
        ServerRun run(m_address, student());
        QSignalSpy available(&run, &ServerRun::availabilityRead);
        QSignalSpy started(&run, &RunSource::started);
        QSignalSpy finished(&run, &RunSource::finished);
        QSignalSpy refused(&run, &RunSource::refused);
        run.start("test1");
        QVERIFY(started.wait());
        answerAll(run, {1, 1, 1});
        QVERIFY(finished.wait());
        setLimits(attempts, pause);
        run.start("test1");
        QVERIFY(refused.wait());
        const QString text = refused.at(0).at(0).toString();
        QVERIFY2(text.startsWith(QStringLiteral("Сервер %1: ").arg(m_address.display())),
                 qPrintable(text));
        QVERIFY2(text.contains(says), qPrintable(text));
        if (pause.isValid()) {
            const QString at = QDateTime::currentDateTime().addSecs(7200).toString("HH:mm");
            QVERIFY2(text.contains(at) || QTime::currentTime().hour() >= 22, qPrintable(text));
        }
        QVERIFY(run.isOver());
        run.readAvailability();
        QVERIFY(available.wait());
        const auto tests = available.at(0).at(0).value<QList<ServerClient::Availability>>();
        QCOMPARE(tests.size(), 1);
        QCOMPARE(tests.at(0).test, 1);
        const QString note = ServerRun::availabilityText(tests.at(0), QDateTime::currentDateTime());
        QVERIFY2(note.startsWith(menu), qPrintable(note));
    }

    // The right answers of a run only once it is over, and only the
    // student's own.
    void reviewRefused_data()
    {
        QTest::addColumn<bool>("finished");
        QTest::addColumn<bool>("own");
        QTest::newRow("open run") << false << true;
        QTest::newRow("another student's run") << true << false;
    }

    void reviewRefused()
    {
        QFETCH(bool, finished);
        QFETCH(bool, own);
        const QString token = student();
        ServerClient client(m_address);
        const ServerClient::Run run = client.startRun(token, 1);
        if (finished) {
            for (int number = 1; number <= 3; ++number)
                client.answer(token, run.id, number, 1);
            client.finishRun(token, run.id);
        }
        try {
            client.review(own ? token : student(), run.id);
            QFAIL("the review was given");
        } catch (const ServerClient::Refused &refused) {
            QCOMPARE(refused.code(), QStringLiteral("CB016"));
        }
    }

    // What a run hands the lab machine are the questions, their answers and
    // the student's own digits: no key, no hash, no other user's data.
    void nothingReceivedHoldsAKey()
    {
        ServerClient client(m_address);
        const QString token = student();
        QSqlDatabase db = m_address.connection(QStringLiteral("probe"));
        QVERIFY(db.open());
        for (const char *sql :
             {"SELECT * FROM cb.start_run(?, 1::smallint)", "SELECT * FROM cb.open_run(?)"}) {
            QSqlQuery query(db);
            QVERIFY(query.prepare(QString::fromLatin1(sql)));
            query.addBindValue(token);
            QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.record().fieldName(i);
            QCOMPARE(columns, QStringList({"run", "test", "version", "question_count", "number",
                                           "question", "answers", "chosen"}));
            int rows = 0;
            while (query.next()) {
                ++rows;
                QVERIFY(query.value(QStringLiteral("chosen")).isNull());
                QVERIFY(!query.value(QStringLiteral("answers")).toString().contains("key"));
            }
            QCOMPARE(rows, 3);
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("probe"));
        // Nor can the lab's role read them past the API.
        QSqlDatabase lab = m_address.connection(QStringLiteral("probe2"));
        QVERIFY(lab.open());
        {
            QSqlQuery query(lab);
            QVERIFY(!query.exec(QStringLiteral("SELECT key FROM cb_private.questions")));
        }
        lab.close();
        lab = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("probe2"));
    }
};

QTEST_GUILESS_MAIN(tst_ServerRun)
#include "tst_serverrun.moc"
