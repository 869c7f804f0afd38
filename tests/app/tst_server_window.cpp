// SPDX-License-Identifier: GPL-3.0-or-later
// The window on the class's server: a student registers and logs in and
// sees the grade the server gave, another removes the own account; the
// teacher, in the window the program's module builds, logs in with the
// password only the server checks, sees that student's grades, the log and
// the class report, saves the settings and a test's limits onto the server
// and publishes a converted test there.
#include "ClassReportView.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "MainWindowFixture.h"
#include "MainWindowModule.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "SettingsPanel.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestLimitsPanel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

class tst_ServerWindow : public QObject, public MainWindowFixture
{
    Q_OBJECT

private:
    QString m_database;
    QString m_why;
    ServerAddress m_address;

    // Whether the administrator's password is this one, as the server says.
    bool adminPassword(const QString &password)
    {
        ServerClient client(m_address);
        try {
            return client.login(u"admin"_s, password).administrator;
        } catch (const ServerClient::Refused &) {
            return false;
        }
    }

private slots:
    void initTestCase()
    {
        m_database = ServerCluster::newDatabase(&m_why);
        if (m_database.isEmpty())
            return;
        m_address = ServerCluster::labAddress(m_database);
        QVERIFY(ServerCluster::initSettings(m_database, "secret"));
        ServerClient admin(m_address);
        // The key is 2.
        admin.rows(u"SELECT cb.admin_publish(?, 1::smallint, ?, 'feedbeef', ?::jsonb)"_s,
                   {admin.login(u"admin"_s, u"secret"_s).token, QByteArray("test"),
                    u"[{\"question\":\"2+2\",\"answers\":[\"3\",\"4\",\"5\",\"6\",\"7\"],"
                    "\"key\":2}]"_s});
    }

    void init()
    {
        if (m_database.isEmpty())
            CB_SERVER_REQUIRED(m_why);
        setUp();
    }

    void cleanup() { tearDown(); }

    void road()
    {
        ModalAnswerer answerer(QMessageBox::Ok);
        TForm1 student(std::make_unique<ServerStore>(m_address));
        QVERIFY(show(student));
        registerUser(student, u"Анна"_s, u"пароль"_s);
        QCOMPARE(answerer.texts.value(0), u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s);
        // Another student at this machine removes the own account before
        // anyone logs in, as in a folder.
        registerUser(student, u"Ваня"_s, u"в"_s);
        typeLogin(student, u"Ваня"_s, u"в"_s);
        answerer.setAnswer(QMessageBox::Yes);
        click(student.loginPanel().SpeedButton2);
        answerer.setAnswer(QMessageBox::Ok);
        QCOMPARE(answerer.texts.value(2),
                 u"Удалить пользователя Ваня и все его оценки?\nОценок: 1."_s);
        QVERIFY2(answerer.texts.value(3).startsWith(u"Пользователь Ваня удален."_s),
                 qPrintable(answerer.texts.value(3)));
        {
            ServerClient other(m_address);
            QVERIFY_THROWS_EXCEPTION(ServerClient::Refused, other.login(u"Ваня"_s, u"в"_s));
        }
        answerer.texts.clear();
        {
            // Her run on another machine of the lab.
            ServerClient other(m_address);
            const QString token = other.login(u"Анна"_s, u"пароль"_s).token;
            const ServerClient::Run run = other.startRun(token, 1);
            other.answer(token, run.id, 1, 2);
            QCOMPARE(other.finishRun(token, run.id).grade, 5);
        }
        logIn(student, u"Анна"_s, u"пароль"_s);
        QCOMPARE(frontPanel(student), u"Panel1"_s);
        QVERIFY(!student.session().writesBack());
        student.NiClick();
        QCOMPARE(frontPanel(student), u"Panel2"_s);
        QCOMPARE(student.progressPanel().valueLabels[0]->text(), u"5"_s);
        QVERIFY(student.progressPanel().ComboBox1->isHidden());
        saveShot(&student, u"server-student-progress"_s);

        // The teacher at her machine: the password is the server's alone,
        // and it removes no account.
        const std::unique_ptr<QWidget> made(
            coursebook_main_window(new ServerStore(m_address), [] {}));
        TForm1 &teacher = *static_cast<TForm1 *>(made.get());
        QVERIFY(show(teacher));
        QCOMPARE(teacher.settingsPanel().Edit3->text(), QString());
        typeLogin(teacher, u"admin"_s, u"secret"_s);
        click(teacher.loginPanel().SpeedButton2);
        QCOMPARE(answerer.texts.value(0), u"Проверьте правильность имени и пароля!"_s);
        loginAsAdministrator(teacher, u"secret"_s);
        QComboBox *combo = teacher.progressPanel().ComboBox1;
        QCOMPARE(combo->findText(u"Анна"_s), 0);
        combo->setCurrentIndex(0);
        teacher.ComboBox1Select();
        QCOMPARE(teacher.progressPanel().valueLabels[0]->text(), u"5"_s);
        saveShot(&teacher, u"server-teacher-progress"_s);

        teacher.N30Click();
        QCOMPARE(frontPanel(teacher), u"Panel6"_s);
        QVERIFY2(teacher.logPanel().Memo2->toPlainText().contains(u"Анна"_s),
                 qPrintable(teacher.logPanel().Memo2->toPlainText()));

        teacher.NclassClick();
        QTRY_COMPARE_WITH_TIMEOUT(teacher.webBrowser()->url(), teacher.classReport().shownUrl(),
                                  20000);
        QTRY_VERIFY_WITH_TIMEOUT(teacher.webBrowser()->title().endsWith(u"отчёт по классу"_s),
                                 20000);
        const QString text = pageText(teacher, {u"Анна"_s, u"Анализ вопросов"_s});
        QVERIFY2(text.contains(u"Анна"_s) && text.contains(u"Анализ вопросов"_s),
                 qPrintable(text.left(400)));

        // The settings as the server has them, never its password; an empty
        // password keeps the server's, a new one replaces it there.
        {
            ServerClient other(m_address);
            other.rows(u"SELECT cb.admin_set_limits(?, 1::smallint, 4, NULL)"_s,
                       {other.login(u"admin"_s, u"secret"_s).token});
        }
        teacher.NtunClick();
        SettingsPanel &s = teacher.settingsPanel();
        QCOMPARE(s.Edit3->text(), u"admin"_s);
        QCOMPARE(s.Edit4->text(), QString());
        QCOMPARE(s.Edit6->text(), u"log.txt"_s);
        s.Edit6->setText(u"журнал.txt"_s);
        click(s.SpeedButton7);
        QVERIFY(adminPassword(u"secret"_s));
        ServerClient client(m_address);
        const QList<QVariantList> rows = client.rows(u"SELECT log_name FROM cb.admin_settings(?)"_s,
                                                     {client.login(u"admin"_s, u"secret"_s).token});
        QCOMPARE(rows.value(0).value(0).toString(), u"журнал.txt"_s);
        s.Edit4->setText(u"новый"_s);
        s.Edit5->setText(u"новый"_s);
        click(s.SpeedButton7);
        QVERIFY(adminPassword(u"новый"_s));
        QVERIFY(!adminPassword(u"secret"_s));
        QCOMPARE(answerer.texts.size(), 1);

        // The first test's attempt limit and pause beside the settings, read
        // from the server when they come up and saved onto it.
        auto *limits = teacher.panel(PanelSwitch::Panel7)->findChild<TestLimitsPanel *>();
        QVERIFY(limits);
        QCOMPARE(limits->attempts->value(), 4);
        limits->attempts->setValue(2);
        limits->pauseMinutes->setValue(3);
        click(limits->save);
        QCOMPARE(answerer.texts.size(), 2);
        const QList<QVariantList> tests =
            client.rows(u"SELECT attempt_limit, min_pause_seconds FROM cb.admin_tests(?) "
                        "WHERE test = 1"_s,
                        {client.login(u"admin"_s, u"новый"_s).token});
        QCOMPARE(tests.value(0), (QVariantList{2, 180}));
        saveShot(&teacher, u"server-teacher-settings"_s);

        // A test converted in the authoring window goes onto the server as
        // its next version; its box says which.
        auto *form2 = teacher.findChild<TForm2 *>();
        QVERIFY(form2);
        QFile source(path(u"q.txt"_s));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("1+1\r\nA) 1\r\nB) 2*\r\nC) 3\r\nD) 4\r\nE) 5\r\nEnd\r\n");
        source.close();
        form2->show();
        form2->Edit9->setText(u"test1"_s);
        form2->Edit10->setText(source.fileName());
        QTest::mouseClick(form2->Button1, Qt::LeftButton);
        QTRY_COMPARE(answerer.texts.size(), 3);
        // Not told to copy the file into the course: the server has it.
        QCOMPARE(answerer.texts.last(),
                 u"Создание тестов успешно завершено.\nФайл теста: %1\nТест опубликован на "
                 "сервере %2, версия 2."_s.arg(path(u"test1.ini"_s), m_address.display()));
        form2->close();
        const QList<QVariantList> published =
            client.rows(u"SELECT version, question_count FROM cb.admin_tests(?) WHERE test = 1"_s,
                        {client.login(u"admin"_s, u"новый"_s).token});
        QCOMPARE(published.value(0), (QVariantList{2, 1}));
    }
};

QTEST_MAIN(tst_ServerWindow)
#include "tst_server_window.moc"
