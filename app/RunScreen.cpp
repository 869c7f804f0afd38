// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunScreen.h"

#include "CodePage.h"
#include "MainMenu.h"
#include "ProgressPanel.h"
#include "ServerRun.h"
#include "ServerStore.h"
#include "Session.h"
#include "TForm1.h"
#include "TestPanel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// How long "the connection is back" stays on the panel.
constexpr int BackShownMs = 4000;
const QString WaitText = u"Ждём ответа сервера…"_s;

} // namespace

RunScreen::RunScreen(TForm1 &window, Session &session, MainMenu &menu, ClassStore &store)
    : m_window(window), m_session(session), m_menu(menu),
      m_server(dynamic_cast<ServerStore *>(&store)), m_local(store, session)
{
    connectSource(m_local);
    connect(window.button2(), &QPushButton::clicked, this,
            [this] { m_window.guarded([this] { source().start(m_chosenTest); }); });
    m_availabilityTimer.setSingleShot(true);
    connect(&m_availabilityTimer, &QTimer::timeout, this, [this] {
        if (m_serverRun)
            m_serverRun->readAvailability();
    });
}

RunScreen::~RunScreen() = default;

RunSource &RunScreen::source() const
{
    if (m_serverRun)
        return *m_serverRun;
    return const_cast<LocalRun &>(m_local);
}

void RunScreen::connectSource(RunSource &source)
{
    // Each report is a handler's edge of its own: its failure is shown.
    const auto guarded = [this](auto handler) {
        return [this, handler](auto &&...args) { m_window.guarded([&] { handler(args...); }); };
    };
    connect(&source, &RunSource::started, this, guarded([this] { begin(); }));
    connect(&source, &RunSource::questionChanged, this, guarded([this] { showQuestion(); }));
    connect(&source, &RunSource::finished, this, guarded([this] { end(); }));
    connect(&source, &RunSource::refused, this,
            guarded([this](const QString &text) { refuse(text, false); }));
    TestPanel &panel = m_window.testPanel();
    connect(&source, &RunSource::waiting, this, [this, &panel](bool waiting) {
        if (waiting)
            m_window.setCursor(Qt::BusyCursor);
        else
            m_window.unsetCursor();
        // A lost connection, or its return, is told instead.
        if (waiting && panel.StatusNote->isHidden())
            panel.showStatus(WaitText);
        else if (!waiting && panel.StatusNote->text() == WaitText)
            panel.showStatus(QString());
    });
    connect(&source, &RunSource::connectionLost, this, [&panel](const QString &text) {
        panel.showStatus(text + u"\nОтвечайте дальше: данные ответы хранятся в программе и "
                                u"будут отправлены, как только связь вернётся."_s);
    });
    connect(&source, &RunSource::connectionBack, this, [&panel] {
        panel.showStatus(u"Связь с сервером восстановлена."_s);
        QTimer::singleShot(BackShownMs, &panel, [&panel] {
            if (panel.StatusNote->text().startsWith(u"Связь с сервером восстановлена"_s))
                panel.showStatus(QString());
        });
    });
}

void RunScreen::startTest(const QByteArray &name)
{
    m_chosenTest = name;
    // The hidden button's click starts the run, as for every test entry.
    m_window.button2()->click();
}

void RunScreen::answer(int digit)
{
    source().answer(digit);
}

void RunScreen::begin()
{
    m_onScreen = true;
    m_window.edit1()->setText(CodePage::toUnicode(source().testName()));
    m_window.testPanel().startLook();
    m_window.applySwitch(PanelSwitch::Command::TestStart);
    showQuestion();
}

void RunScreen::showQuestion()
{
    const TestRun::Question question = source().question();
    m_window.testPanel().showQuestion(question.text, question.answers);
    m_window.testPanel().showNumber(question.number, question.count);
}

void RunScreen::end()
{
    m_onScreen = false;
    const RunSource &run = source();
    QList<QByteArray> passed;
    if (m_serverRun) {
        passed = m_session.takeGrades(m_serverRun->grades());
    } else {
        m_window.edit1()->setText(CodePage::toUnicode(m_local.end().logLine));
        passed = m_local.end().passed;
    }
    m_window.testPanel().showStatus(QString());
    m_window.NiClick();
    m_window.progressPanel().showReview(run.rightCount(), run.questionCount(), run.mistakes());
    m_menu.applyUnlocking(passed, false);
    writeScores();
    if (m_serverRun)
        m_serverRun->readAvailability();
}

void RunScreen::refuse(const QString &text, bool failure)
{
    if (failure)
        HandlerGuard::showError(&m_window, text);
    else
        QMessageBox::warning(&m_window, m_window.windowTitle(), text);
    if (m_serverRun)
        m_serverRun->readAvailability();
    if (!m_onScreen)
        return;
    m_onScreen = false;
    m_window.testPanel().showStatus(QString());
    m_window.NiClick();
}

bool RunScreen::mayClose()
{
    if (!m_serverRun || m_serverRun->unsentCount() == 0)
        return true;
    // Kept on this machine, they reach the server only from here.
    const QString fate = m_serverRun->unsentKept()
                             ? u"Они сохранены на этом компьютере и уйдут на сервер, когда вы "
                               u"снова войдёте на нём."_s
                             : u"Если выйти из программы сейчас, они пропадут."_s;
    return QMessageBox::warning(&m_window, m_window.windowTitle(),
                                u"Нет связи с сервером: ответов не отправлено — %1. %2 Всё равно "
                                u"выйти?"_s.arg(m_serverRun->unsentCount())
                                    .arg(fate),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

void RunScreen::writeScores()
{
    if (m_session.writeBack() != Session::WriteBack::UserRemoved)
        return;
    QMessageBox::information(&m_window, m_window.windowTitle(),
                             u"Оценки не сохранены: регистрация пользователя %1 удалена."_s.arg(
                                 CodePage::toUnicode(m_session.userName())));
}

void RunScreen::loggedIn(bool student)
{
    m_serverRun.reset();
    if (!m_server || !student || m_server->userToken().isEmpty())
        return;
    m_serverRun = std::make_unique<ServerRun>(m_server->client().address(), m_server->userToken());
    connectSource(*m_serverRun);
    connect(m_serverRun.get(), &ServerRun::failed, this,
            [this](const QString &text) { m_window.guarded([&] { refuse(text, true); }); });
    connect(m_serverRun.get(), &ServerRun::openRunFound, this,
            [this](const QByteArray &testName, int number) {
                m_window.guarded([&] { offerOpenRun(testName, number); });
            });
    connect(m_serverRun.get(), &ServerRun::availabilityRead, this, &RunScreen::showAvailability);
    m_serverRun->lookForOpenRun();
    m_serverRun->readAvailability();
}

void RunScreen::offerOpenRun(const QByteArray &testName, int number)
{
    const QAction *entry = m_menu.entry(QString::fromLatin1(testName));
    const QString caption =
        m_captions.value(testName, entry ? entry->text() : CodePage::toUnicode(testName))
            .remove(u'&');
    QMessageBox box(QMessageBox::Question, m_window.windowTitle(),
                    u"Тест «%1» остался незаконченным: программа была закрыта на вопросе %2. "
                    u"Продолжить с этого вопроса? Данные ответы сохранены.\n\nЕсли начать "
                    u"тест заново, незаконченная попытка будет оценена по данным ответам."_s.arg(
                        caption, QString::number(number)),
                    QMessageBox::Yes | QMessageBox::No, &m_window);
    box.button(QMessageBox::Yes)->setText(u"Продолжить"_s);
    box.button(QMessageBox::No)->setText(u"Начать заново"_s);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::No)
        startTest(testName);
    else
        m_serverRun->resume();
}

void RunScreen::showAvailability(const QList<ServerClient::Availability> &tests)
{
    const QDateTime now = QDateTime::currentDateTime();
    int soonest = 0;
    for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it) {
        if (QAction *entry = m_menu.entry(QString::fromLatin1(it.key())))
            entry->setText(it.value());
    }
    for (const ServerClient::Availability &test : tests) {
        const QByteArray name = ClassStore::testName(test.test);
        QAction *entry = m_menu.entry(QString::fromLatin1(name));
        const QString note = ServerRun::availabilityText(test, now);
        if (!entry || note.isEmpty())
            continue;
        if (!m_captions.contains(name))
            m_captions.insert(name, entry->text());
        entry->setText(u"%1 (%2)"_s.arg(m_captions.value(name), note));
        if (test.attemptsLeft != 0 && test.waitSeconds > 0)
            soonest = soonest ? std::min(soonest, test.waitSeconds) : test.waitSeconds;
    }
    // The caption goes back once the pause is over.
    if (soonest > 0)
        m_availabilityTimer.start(std::chrono::seconds(soonest + 1));
}
