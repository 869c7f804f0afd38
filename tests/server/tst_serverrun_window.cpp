// SPDX-License-Identifier: GPL-3.0-or-later
// A student's test run in the real window on a real server: the grade and
// the review of mistakes from the server, nothing of the run in the course
// folder, the server away or restarted mid-run, a copy killed mid-run and
// taken up at the next log-in, a pause the teacher set, and two machines
// finishing at once.
#include "AnswerButton.h"
#include "LoginPanel.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "RealComponent.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "TForm1.h"
#include "TestFileMaker.h"
#include "TestPanel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray Digits = "3241532415";
// Questions 3, 6 and 10 answered wrong: 7 of 10 right, the grade 4.
const QList<int> Wrong{3, 6, 10};
const QByteArray Chosen = "3251542411";

// Answers questions from … to as they come up with the digits chosen.
bool answer(TForm1 &form, int from, int to, const QByteArray &chosen = Chosen)
{
    for (int k = from; k <= to; ++k) {
        const QString shown = u"Вопрос %1 из %2"_s.arg(k).arg(Digits.size());
        if (!QTest::qWaitFor([&] { return form.testPanel().QuestionNumber->text() == shown; }))
            return false;
        QWidget *button = form.testPanel().answerButton(chosen.at(k - 1) - '0');
        QTest::mouseDClick(button, Qt::LeftButton);
    }
    return true;
}

// Another copy of the program. The one that is killed answers the first
// four questions, says so and waits. The one on a machine of its own, given
// COURSEBOOK_HELPER_ANSWERS, registers through the log-in panel, answers all
// but the last question, says "ready", gives the last answer once a line
// comes on its standard input and prints the grade it is shown.
int helperCopy()
{
    QString why;
    TForm1 form(std::make_unique<ServerStore>(
        ServerAddress::parse(qEnvironmentVariable("COURSEBOOK_HELPER_SERVER"), &why)));
    ModalAnswerer answerer(QMessageBox::Ok);
    if (!MainWindowFixture::show(form))
        return 3;
    const QString name = qEnvironmentVariable("COURSEBOOK_HELPER_USER");
    const QByteArray chosen = qgetenv("COURSEBOOK_HELPER_ANSWERS");
    QTextStream out(stdout);
    if (!chosen.isEmpty()) {
        MainWindowFixture::registerUser(form, name, u"пароль"_s);
        if (answerer.texts.filter(u"Пользователь зарегистрирован"_s).isEmpty())
            return 5;
    }
    MainWindowFixture::logIn(form, name, u"пароль"_s);
    form.menuEntry(u"test1"_s)->trigger();
    if (chosen.isEmpty()) {
        if (!answer(form, 1, 4))
            return 4;
        out << "answered" << Qt::endl;
        for (;;)
            QTest::qWait(1000);
    }
    const int last = int(chosen.size());
    if (!answer(form, 1, last - 1, chosen))
        return 4;
    out << "ready" << Qt::endl;
    bool go = false;
    QSocketNotifier line(0, QSocketNotifier::Read);
    QObject::connect(&line, &QSocketNotifier::activated, [&go] { go = true; });
    if (!QTest::qWaitFor([&go] { return go; }, 120000) || !answer(form, last, last, chosen) ||
        !QTest::qWaitFor([&form] { return MainWindowFixture::frontPanel(form) == u"Panel2"_s; },
                         20000))
        return 6;
    out << form.progressPanel().valueLabels[0]->text() << Qt::endl;
    return 0;
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
        return ServerCluster::superuser(m_database, script);
    }

    // The student's answers the server holds, in order.
    QByteArray answersOf(const QString &name)
    {
        return superuser("SELECT string_agg(a.digit::text, '' ORDER BY a.number) FROM "
                         "cb_private.answers a JOIN cb_private.runs r ON r.id = a.run_id JOIN "
                         "cb_private.users u ON u.id = r.user_id WHERE u.name = '" +
                         name.toUtf8() + "';");
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
        QVERIFY(ServerCluster::initSettings(m_database, "secret"));
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
        QVERIFY(file.remove());
    }

    void cleanup()
    {
        if (!m_database.isEmpty())
            QVERIFY(ServerCluster::setRunning(true) &&
                    ServerCluster::allowConnections(m_database, true));
        tearDown();
    }

    void road_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("none") << QString();
        // Out of reach after question 4: told on the panel, answered on.
        QTest::newRow("server away") << u"away"_s;
        // Stopped at once after question 4, as a crash would, and started
        // again after question 6.
        QTest::newRow("server restarted") << u"restarted"_s;
        // Four answers given by a copy killed then, the rest after the log-in.
        QTest::newRow("copy killed") << u"killed"_s;
    }

    void road()
    {
        QFETCH(QString, trouble);
        const QString name = u"Студент%1"_s.arg(++m_users);
        if (!trouble.isEmpty())
            ServerClient(m_address).registerUser(name, u"пароль"_s);
        QProcess copy;
        const auto stop = qScopeGuard([&copy] {
            copy.kill();
            copy.waitForFinished();
        });
        if (trouble == u"killed") {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"COURSEBOOK_HELPER_SERVER"_s, ServerCluster::labUri(m_database));
            env.insert(u"COURSEBOOK_HELPER_USER"_s, name);
            copy.setProcessEnvironment(env);
            copy.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(copy.waitForReadyRead(60000));
            QCOMPARE(copy.readLine().trimmed(), QByteArray("answered"));
            QTRY_COMPARE_WITH_TIMEOUT(answersOf(name), Chosen.left(4), 10000);
            copy.kill();
        }
        TForm1 form(std::make_unique<ServerStore>(m_address));
        ModalAnswerer answerer(trouble == u"killed" ? QMessageBox::Yes : QMessageBox::Ok);
        QVERIFY(show(form));
        if (trouble.isEmpty()) {
            registerUser(form, name, u"пароль"_s);
            QCOMPARE(answerer.texts.value(0),
                     u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s);
            click(form.loginPanel().SpeedButton3);
        } else {
            logIn(form, name, u"пароль"_s);
        }
        if (trouble == u"killed") {
            QTRY_VERIFY_WITH_TIMEOUT(!answerer.texts.filter(u"на вопросе 5."_s).isEmpty(), 10000);
            QCOMPARE(answerer.buttons.last(), QMessageBox::Yes | QMessageBox::No);
        } else {
            form.menuEntry(u"test1"_s)->trigger();
            QVERIFY(answer(form, 1, 4));
        }
        QTRY_COMPARE(answersOf(name), Chosen.left(4));
        const QLabel *status = form.testPanel().StatusNote;
        const bool lost = trouble == u"away" || trouble == u"restarted";
        if (trouble == u"away") {
            QVERIFY(ServerCluster::allowConnections(m_database, false));
            QVERIFY(ServerCluster::dropConnections(m_database) > 0);
        } else if (trouble == u"restarted") {
            QVERIFY(ServerCluster::setRunning(false));
        }
        QVERIFY(answer(form, 5, 6));
        if (lost) {
            QTRY_VERIFY_WITH_TIMEOUT(status->isVisible(), 10000);
            QVERIFY2(status->text().contains(m_address.display()), qPrintable(status->text()));
            QVERIFY2(status->text().contains(u"будут отправлены"_s), qPrintable(status->text()));
            // The driver's cause in one line of the note, not its indented lines.
            QVERIFY2(status->text().count(u'\n') == 1, qPrintable(status->text()));
            saveShot(form.grab(), u"server_connection_lost"_s);
            // The two answers are kept on the machine; closing is asked all
            // the same, since only this machine can send them.
            QVERIFY(!form.FormCloseQuery());
            QVERIFY2(answerer.texts.last().contains(u"ответов не отправлено — 2. Они сохранены "
                                                    u"на этом компьютере"_s),
                     qPrintable(answerer.texts.last()));
            QVERIFY(ServerCluster::setRunning(true) &&
                    ServerCluster::allowConnections(m_database, true));
            QTRY_VERIFY2_WITH_TIMEOUT(status->text().contains(u"восстановлена"_s),
                                      qPrintable(answerer.texts.join(u'|')), 20000);
        }
        QVERIFY(answer(form, 7, Digits.size()));

        QTRY_COMPARE_WITH_TIMEOUT(frontPanel(form), u"Panel2"_s, 10000);
        ProgressPanel &progress = form.progressPanel();
        QCOMPARE(progress.rightAnswers->text(), u"Правильных ответов: 7 из 10"_s);
        QCOMPARE(progress.valueLabels[0]->text(), u"4"_s);
        QCOMPARE(progress.mistakes->count(), Wrong.size());
        for (int i = 0; i < Wrong.size(); ++i) {
            const QString item = progress.mistakes->item(i)->text();
            const int k = Wrong[i];
            QCOMPARE(item, u"%1. Вопрос %1\nВаш ответ: %2) %1"_s.arg(k).arg(
                               QChar(u'A' + Chosen.at(k - 1) - '1')));
        }
        QCOMPARE(answersOf(name), Chosen);
        // The server keeps the log and the answers: the folder holds none.
        QVERIFY(!QFile::exists(u"log.txt"_s) && !QFile::exists(u"log-answers.txt"_s));
        if (!trouble.isEmpty())
            return;
        saveShot(form.grab(), u"server_review"_s);

        // The teacher's pause: the start refused with when, and the entry says it.
        QCOMPARE(superuser("UPDATE cb_private.tests SET min_pause = '2 hours' WHERE test = 1;"),
                 QByteArray());
        const QString caption = form.menuEntry(u"test1"_s)->text();
        form.menuEntry(u"test1"_s)->trigger();
        QTRY_VERIFY(!answerer.texts.filter(u"Тест можно будет пройти снова в"_s).isEmpty());
        QCOMPARE(frontPanel(form), u"Panel2"_s);
        QTRY_VERIFY(form.menuEntry(u"test1"_s)->text().startsWith(caption + u" (снова в "_s));
    }

    // Two machines, copies under host names of their own, register through
    // the log-in panel and give their last answers at the same moment, to a
    // server that has just cut every connection and lets them in again only
    // once it has refused them: each gets its own grade.
    void twoMachines()
    {
        const QString unshare = QStandardPaths::findExecutable(u"unshare"_s);
        if (unshare.isEmpty() ||
            QProcess::execute(unshare, {u"--uts"_s, u"hostname"_s, u"lab-pc-1"_s}) != 0)
            COURSEBOOK_COMPONENT_MISSING(u"copies under host names of their own need unshare "
                                         "--uts, which is missing or refused here (it needs "
                                         "root)"_s);
        const QList<QByteArray> answers{Chosen, Digits};
        const QByteArrayList grades{"4", "5"};
        QProcess copies[2];
        const auto stop = qScopeGuard([&copies] {
            for (QProcess &copy : copies) {
                copy.kill();
                copy.waitForFinished();
            }
        });
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"COURSEBOOK_HELPER_SERVER"_s, ServerCluster::labUri(m_database));
            env.insert(u"COURSEBOOK_HELPER_USER"_s, u"Машина%1"_s.arg(i + 1));
            env.insert(u"COURSEBOOK_HELPER_ANSWERS"_s, QString::fromLatin1(answers[i]));
            copies[i].setProcessEnvironment(env);
            copies[i].start(unshare,
                            {u"--uts"_s, u"sh"_s, u"-c"_s, u"hostname \"$1\" && exec \"$2\""_s,
                             u"sh"_s, u"lab-pc-%1"_s.arg(i + 1),
                             QCoreApplication::applicationFilePath()});
        }
        for (QProcess &copy : copies) {
            QVERIFY(copy.waitForReadyRead(120000));
            QCOMPARE(copy.readLine().trimmed(), QByteArray("ready"));
        }
        const QByteArray refused = "\"" + m_database.toUtf8() + "\" is not currently accepting";
        const qsizetype before = ServerCluster::log().count(refused);
        QVERIFY(ServerCluster::allowConnections(m_database, false));
        QVERIFY(ServerCluster::dropConnections(m_database) >= 2);
        for (QProcess &copy : copies)
            copy.write("go\n");
        QTRY_VERIFY_WITH_TIMEOUT(ServerCluster::log().count(refused) >= before + 2, 10000);
        QVERIFY(ServerCluster::allowConnections(m_database, true));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(copies[i].waitForFinished(60000));
            QCOMPARE(copies[i].exitCode(), 0);
            QCOMPARE(copies[i].readAll().trimmed(), grades[i]);
            const QByteArray name = u"Машина%1"_s.arg(i + 1).toUtf8();
            QCOMPARE(answersOf(QString::fromUtf8(name)), answers[i]);
            QCOMPARE(superuser("SELECT u.grades[1] || ' ' || r.grade || ' ' || r.right_count "
                               "FROM cb_private.users u JOIN cb_private.runs r ON r.user_id = "
                               "u.id WHERE r.finished IS NOT NULL AND u.name = '" +
                               name + "';"),
                     grades[i] + ' ' + grades[i] + (i ? " 10" : " 7"));
            QCOMPARE(superuser("SELECT test || ' ' || grade FROM cb_private.log WHERE user_name "
                               "= '" +
                               name + "';"),
                     "1 " + grades[i]);
        }
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("COURSEBOOK_HELPER_USER"))
        return helperCopy();
    tst_ServerRunWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serverrun_window.moc"
