// SPDX-License-Identifier: GPL-3.0-or-later
// A student's test run in the real window on a real server: the grade and
// the review of mistakes from the server, nothing of the run left in the
// course folder; and a copy of the program killed mid-run, the run taken up
// at the next log-in where it stopped.
#include "AnswerButton.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "TForm1.h"
#include "TestFileMaker.h"
#include "TestPanel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray Digits = "3241532415";
// Questions 3, 6 and 10 answered wrong: 7 of 10 right, the grade 4.
const QList<int> Wrong{3, 6, 10};

int chosenDigit(int k)
{
    const int right = Digits.at(k - 1) - '0';
    return Wrong.contains(k) ? right % TestPanel::AnswerCount + 1 : right;
}

void doubleClick(QWidget *button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

// Answers questions from..to as they come up on the panel.
bool answer(TForm1 &form, int from, int to)
{
    for (int k = from; k <= to; ++k) {
        const QString shown = u"Вопрос %1 из %2"_s.arg(k).arg(Digits.size());
        if (!QTest::qWaitFor([&] { return form.testPanel().QuestionNumber->text() == shown; }))
            return false;
        doubleClick(form.testPanel().answerButton(chosenDigit(k)));
    }
    return true;
}

// The copy of the program killed mid-run: logs the student in, answers the
// first four questions, says so and waits to be killed.
int killedCopy()
{
    QString why;
    const ServerAddress address =
        ServerAddress::parse(qEnvironmentVariable("COURSEBOOK_HELPER_SERVER"), &why);
    TForm1 form(std::make_unique<ServerStore>(address));
    ModalAnswerer answerer(QMessageBox::Ok);
    if (!MainWindowFixture::show(form))
        return 3;
    MainWindowFixture::logIn(form, qEnvironmentVariable("COURSEBOOK_HELPER_USER"), u"пароль"_s);
    form.menuEntry(u"test1"_s)->trigger();
    if (!answer(form, 1, 4)) {
        qWarning("no run: %s", qPrintable(answerer.texts.join(u'\n')));
        return 4;
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 5;
    out.write("answered\n");
    out.flush();
    for (;;)
        QTest::qWait(1000);
}

} // namespace

class tst_ServerRunWindow : public QObject, private MainWindowFixture
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;
    int m_users = 0;

    QByteArray superuser(const QByteArray &script)
    {
        const ToolRun run = ServerCluster::psql(ServerCluster::superuserUri(m_database), script);
        if (run.exitCode != 0)
            qWarning("%s", qPrintable(run.errText()));
        return run.exitCode == 0 ? run.outText().trimmed().toUtf8() : QByteArray("failed");
    }

    // Closes the database to new connections and ends the lab's, or opens
    // it again.
    void allowConnections(bool allowed)
    {
        const QByteArray database = '"' + m_database.toUtf8() + '"';
        QCOMPARE(ServerCluster::psql(ServerCluster::superuserUri(u"postgres"_s),
                                     "ALTER DATABASE " + database + " ALLOW_CONNECTIONS " +
                                         (allowed ? "true" : "false") +
                                         "; SELECT count(pg_terminate_backend(pid)) FROM "
                                         "pg_stat_activity WHERE usename = 'coursebook_lab' AND "
                                         "datname = '" +
                                         m_database.toUtf8() + "' AND " +
                                         (allowed ? "false" : "true") + ";")
                     .exitCode,
                 0);
    }

    // The student's answers the server holds, in order.
    QByteArray answersOf(const QString &name)
    {
        return superuser("SELECT string_agg(a.digit::text, '' ORDER BY r.id, a.number) FROM "
                         "cb_private.answers a JOIN cb_private.runs r ON r.id = a.run_id JOIN "
                         "cb_private.users u ON u.id = r.user_id WHERE u.name = '" +
                         name.toUtf8() + "';");
    }

    void checkReview(TForm1 &form)
    {
        QTRY_COMPARE_WITH_TIMEOUT(frontPanel(form), u"Panel2"_s, 10000);
        ProgressPanel &progress = form.progressPanel();
        QCOMPARE(progress.rightAnswers->text(), u"Правильных ответов: 7 из 10"_s);
        QCOMPARE(progress.valueLabels[0]->text(), u"4"_s);
        QCOMPARE(progress.mistakes->count(), Wrong.size());
        for (int i = 0; i < Wrong.size(); ++i) {
            const int k = Wrong[i];
            const QString item = progress.mistakes->item(i)->text();
            QVERIFY2(item.startsWith(u"%1. Вопрос %1"_s.arg(k)), qPrintable(item));
            QVERIFY2(item.endsWith(u"%1) %2"_s.arg(QChar(u'A' + chosenDigit(k) - 1)).arg(k)),
                     qPrintable(item));
        }
        // The server keeps the log and the answers: the folder holds none.
        QVERIFY(!QFile::exists(u"log.txt"_s));
        QVERIFY(!QFile::exists(u"log-answers.txt"_s));
    }

private slots:
    void initTestCase()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            return;
        QString why;
        m_address = ServerAddress::parse(ServerCluster::labUri(m_database), &why);
        QVERIFY(why.isEmpty());
        QCOMPARE(superuser("SELECT cb_private.init_settings('admin', 'secret', 'log.txt');"),
                 QByteArray());
    }

    void init()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        setUp();
        QCOMPARE(superuser("UPDATE cb_private.tests SET min_pause = NULL;"), QByteArray());
        // The test as the teacher publishes it; the lab's folder keeps no copy.
        TestFileMaker::write("test1", Digits);
        QFile file(u"data/tests/test1.ini"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        ServerStore admin(m_address);
        QVERIFY(admin.passwordMatches("admin", "secret"));
        admin.publish("test1", file.readAll());
        file.close();
        QVERIFY(file.remove());
    }

    void cleanup()
    {
        if (!m_database.isEmpty())
            allowConnections(true);
        tearDown();
    }

    void gradeAndReview_data()
    {
        QTest::addColumn<bool>("away");
        QTest::newRow("server there") << false;
        // Out of reach after question 4: told on the panel, answered on.
        QTest::newRow("server away mid-run") << true;
    }

    void gradeAndReview()
    {
        QFETCH(bool, away);
        TForm1 form(std::make_unique<ServerStore>(m_address));
        ModalAnswerer answerer(QMessageBox::Ok);
        QVERIFY(show(form));
        const QString name = u"Студент%1"_s.arg(++m_users);
        registerAndLogin(form, answerer, name, u"пароль"_s);
        form.menuEntry(u"test1"_s)->trigger();
        QTRY_COMPARE(frontPanel(form), u"Panel3"_s);
        QVERIFY(answer(form, 1, 4));
        QTRY_COMPARE(answersOf(name), QByteArray("3251"));
        const QLabel *status = form.testPanel().StatusNote;
        if (away)
            allowConnections(false);
        QVERIFY(answer(form, 5, 6));
        if (away) {
            QTRY_VERIFY_WITH_TIMEOUT(status->isVisible(), 10000);
            QVERIFY2(status->text().contains(m_address.display()), qPrintable(status->text()));
            QVERIFY2(status->text().contains(u"ответы сохранены"_s), qPrintable(status->text()));
            saveShot(form.grab(), u"server_connection_lost"_s);
            allowConnections(true);
            QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(u"восстановлена"_s), 10000);
        }
        QVERIFY(answer(form, 7, Digits.size()));
        checkReview(form);
        QVERIFY(!status->isVisible());
        if (away)
            return;

        // The teacher's pause: the start refused with when, and the entry says it.
        QCOMPARE(superuser("UPDATE cb_private.tests SET min_pause = interval '2 hours' WHERE "
                           "test = 1;"),
                 QByteArray());
        const QString caption = form.menuEntry(u"test1"_s)->text();
        form.menuEntry(u"test1"_s)->trigger();
        QTRY_VERIFY(answerer.texts.last().contains(u"Тест можно будет пройти снова в"_s));
        QCOMPARE(frontPanel(form), u"Panel2"_s);
        QTRY_VERIFY(form.menuEntry(u"test1"_s)->text().startsWith(caption + u" (снова в "_s));
        saveShot(form.grab(), u"server_review"_s);
        QCOMPARE(answersOf(name), QByteArray("3251542411"));
    }

    void killedCopyResumed()
    {
        const QString name = u"Студент%1"_s.arg(++m_users);
        {
            ServerClient client(m_address);
            client.registerUser(name, u"пароль"_s);
        }
        QProcess copy;
        // Stopped also when the test fails before it kills the copy.
        const auto stop = qScopeGuard([&copy] {
            copy.kill();
            copy.waitForFinished();
        });
        copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"COURSEBOOK_HELPER_SERVER"_s, ServerCluster::labUri(m_database));
        env.insert(u"COURSEBOOK_HELPER_USER"_s, name);
        copy.setProcessEnvironment(env);
        copy.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(copy.waitForStarted());
        QVERIFY(copy.waitForReadyRead(60000));
        QCOMPARE(copy.readLine().trimmed(), QByteArray("answered"));
        QTRY_COMPARE_WITH_TIMEOUT(answersOf(name), QByteArray("3251"), 10000);
        ::kill(pid_t(copy.processId()), SIGKILL);
        QVERIFY(copy.waitForFinished());

        TForm1 form(std::make_unique<ServerStore>(m_address));
        ModalAnswerer answerer(QMessageBox::Yes);
        QVERIFY(show(form));
        logIn(form, name, u"пароль"_s);
        const auto offer = [&answerer] {
            for (qsizetype i = 0; i < answerer.texts.size(); ++i) {
                if (answerer.texts.at(i).contains(u"на вопросе 5."_s))
                    return int(i);
            }
            return -1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(offer() >= 0, 10000);
        QCOMPARE(answerer.buttons.at(offer()), QMessageBox::Yes | QMessageBox::No);
        QTRY_COMPARE(frontPanel(form), u"Panel3"_s);
        QVERIFY(answer(form, 5, Digits.size()));
        checkReview(form);
        QCOMPARE(answersOf(name), QByteArray("3251542411"));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("COURSEBOOK_HELPER_USER"))
        return killedCopy();
    tst_ServerRunWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serverrun_window.moc"
