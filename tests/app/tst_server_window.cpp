// SPDX-License-Identifier: GPL-3.0-or-later
// The window on the class's server: a student registers and logs in and
// sees the grade the server gave; the teacher logs in with the password only
// the server checks, sees that student's grades, the log and the class
// report, and saves the settings onto the server.
#include "ClassReportView.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "ServerCluster.h"
#include "ServerStore.h"
#include "SettingsPanel.h"
#include "TForm1.h"
#include "TestLimitsPanel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
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
        QString why;
        m_address = ServerCluster::labAddress(m_database, &why);
        QVERIFY(why.isEmpty());
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

        // The teacher at her machine: the password is the server's alone.
        TForm1 teacher(std::make_unique<ServerStore>(m_address));
        QVERIFY(show(teacher));
        QCOMPARE(teacher.settingsPanel().Edit3->text(), QString());
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
        QString text;
        QTRY_COMPARE(teacher.webBrowser()->url(), teacher.classReport().shownUrl());
        QTRY_VERIFY(teacher.webBrowser()->title().endsWith(u"отчёт по классу"_s));
        teacher.webBrowser()->page()->toPlainText([&text](const QString &t) { text = t; });
        QTRY_VERIFY(!text.isEmpty());
        QVERIFY(text.contains(u"Анна"_s) && text.contains(u"Анализ вопросов"_s));

        // The settings as the server has them, never its password; an empty
        // password keeps the server's, a new one replaces it there.
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

        // The first test's attempt limit and pause, onto the server.
        auto *limits = new TestLimitsPanel(teacher.panel(PanelSwitch::Panel7),
                                           dynamic_cast<ServerStore &>(teacher.session().store()),
                                           teacher.course());
        limits->load();
        QCOMPARE(limits->attempts->value(), 0);
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
    }
};

QTEST_MAIN(tst_ServerWindow)
#include "tst_server_window.moc"
