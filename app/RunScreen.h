// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LocalRun.h"
#include "ServerClient.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

class ClassStore;
class MainMenu;
class ServerRun;
class ServerStore;
class Session;
class TForm1;

// The main window's test run: a test entry starts it through the hidden
// Button2, each answer button answers, and what the run reports is shown on
// the test panel, the progress view and the menu. On a course folder the
// run is a LocalRun; on the class's server a ServerRun of the student's
// session, made at each student's log-in, which also offers a run left open
// to be taken up and tells each limited test's menu entry when it can be
// taken again. The window stays answerable meanwhile: a wait, a lost
// connection and its return are told on the test panel.
class RunScreen : public QObject
{
    Q_OBJECT

public:
    // The window, its session, menu and store outlive the screen.
    RunScreen(TForm1 &window, Session &session, MainMenu &menu, ClassStore &store);
    ~RunScreen() override;

    // A test entry chosen: the hidden button's click starts the run.
    void startTest(const QByteArray &name);
    // The answer button 1 … 5 double-clicked.
    void answer(int digit);
    // After a log-in: on the server a student's runs go on the student's
    // session, a run left open is offered and the limited tests' entries
    // say when they can be taken again.
    void loggedIn(bool student);
    // Whether the window may close: answers the server has not had yet
    // are lost with it, so the student is asked first.
    bool mayClose();
    // The write-back of the grades, or the notice that the user's
    // registration was removed meanwhile and they were not saved.
    void writeScores();

    const TestRun &localRun() const { return m_local.run(); }
    // The run the window drives now.
    RunSource &source() const;

private:
    void connectSource(RunSource &source);
    void begin();
    void showQuestion();
    void end();
    // The run cannot begin or go on: the box, and the progress view where
    // the test was on screen.
    void refuse(const QString &text, bool failure);
    void showAvailability(const QList<ServerClient::Availability> &tests);
    void offerOpenRun(const QByteArray &testName, int number);

    TForm1 &m_window;
    Session &m_session;
    MainMenu &m_menu;
    ServerStore *const m_server;
    LocalRun m_local;
    std::unique_ptr<ServerRun> m_serverRun;
    QByteArray m_chosenTest;               // the test entry chosen last
    bool m_onScreen = false;               // the test panel shows the run
    QHash<QByteArray, QString> m_captions; // the limited tests' own captions
    QTimer m_availabilityTimer;            // a pause running out
};
