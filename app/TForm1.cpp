// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm1.h"

#include "ClassReportView.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "Look.h"
#include "Paths.h"
#include "PickedUserButtons.h"
#include "ProgressPanel.h"
#include "SettingsPanel.h"
#include "TForm5.h"
#include "TOKRightDlg.h"
#include "TestPanel.h"
#include "UserRemoval.h"
#include "WindowFit.h"
#include "Workspace.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

// The layout gives the outer size of the window. Until the window is on
// screen the frame is unknown; the frame of the original desktop takes 16
// pixels across and 39 down.
constexpr int OuterWidth = 949;
constexpr int OuterHeight = 815;
constexpr int AssumedFrameWidth = 16;
constexpr int AssumedFrameHeight = 39;

// A handler run at the window's edge with the request's values.
template <typename... Args> auto guard(TForm1 *form, void (TForm1::*handler)(Args...))
{
    return [form, handler](Args... args) { form->guarded([&] { (form->*handler)(args...); }); };
}

} // namespace

TForm1::TForm1(std::unique_ptr<ClassStore> store, QWidget *parent)
    : QMainWindow(parent), m_course(CourseStructure::load(Paths::workingDirectory())),
      m_store(std::move(store)), m_session(*m_store)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(m_course.title().isEmpty() ? CourseInfo::Title : m_course.title());
    setFont(Look::sansSerif(11));
    Look::setBackground(this, Look::buttonFace());
    HandlerGuard::setCaption(CourseInfo::Title);

    // The operations a course's command entries name.
    m_handlers = {
        {u"exit"_s, &TForm1::NeClick},         {u"login"_s, &TForm1::NaFormuAvtorizaziiClick},
        {u"back"_s, &TForm1::N17Click},        {u"about"_s, &TForm1::N26Click},
        {u"author"_s, &TForm1::N15Click},      {u"progress"_s, &TForm1::NiClick},
        {u"log"_s, &TForm1::N30Click},         {u"settings"_s, &TForm1::NtunClick},
        {u"edit-tests"_s, &TForm1::nredClick}, {u"class-report"_s, &TForm1::NclassClick}};

    m_menu = new MainMenu(this, m_course);
    connect(m_menu, &MainMenu::chosen, this,
            [this](const MenuTree::Entry &entry) { guarded([this, &entry] { runEntry(entry); }); });
    buildPanels();
    fitOuterSize();

    connect(&m_session, &Session::usersChanged, this,
            [this] { m_progress->setUsers(m_session.userList()); });
    connect(&m_session, &Session::awaitingLogin, this,
            [this] { applySwitch(PanelSwitch::Command::FormShow); });
    connect(&m_session, &Session::settingsRead, this,
            [this] { m_settings->showSettings(m_session.adminSettings()); });
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::buildPanels()
{
    auto *client = new QWidget(this);
    client->setObjectName(u"ClientArea"_s);
    WindowFit::scrolling(this, client);

    m_panels = Workspace::build(client);

    m_display = std::make_unique<PageDisplay>(
        panel(PanelSwitch::Panel1), [this] { applySwitch(PanelSwitch::Command::PageRule); });
    m_display->setScripts(m_course.scriptsAllowed());
    m_webBrowser1 = m_display->view();
    m_classReport = new ClassReportView(m_webBrowser1, panel(PanelSwitch::Panel1));

    m_button2 = new QPushButton(u"Button2"_s, client);
    m_button2->setObjectName(u"Button2"_s);
    m_button2->hide();

    m_edit1 = new QLineEdit(client);
    m_edit1->setObjectName(u"Edit1"_s);
    m_edit1->hide();

    buildPanelControls();
}

void TForm1::buildPanelControls()
{
    m_login = std::make_unique<LoginPanel>(panel(PanelSwitch::Panel4));
    connect(m_login.get(), &LoginPanel::registerRequested, this,
            guard(this, &TForm1::SpeedButton1Click));
    connect(m_login.get(), &LoginPanel::removeRequested, this,
            guard(this, &TForm1::SpeedButton2Click));
    connect(m_login.get(), &LoginPanel::logInRequested, this,
            guard(this, &TForm1::SpeedButton3Click));

    m_settings = std::make_unique<SettingsPanel>(panel(PanelSwitch::Panel7), CourseInfo::Title);
    connect(m_settings.get(), &SettingsPanel::applyRequested, this,
            guard(this, &TForm1::SpeedButton7Click));
    connect(m_settings.get(), &SettingsPanel::backRequested, this,
            guard(this, &TForm1::SpeedButton6Click));

    m_test = new TestPanel(panel(PanelSwitch::Panel3));
    m_runs = std::make_unique<RunScreen>(*this, m_session, *m_menu, *m_store);
    connect(m_test, &TestPanel::answered, this,
            [this](int i) { guarded([this, i] { m_runs->answer(i); }); });

    m_log = std::make_unique<LogPanel>(panel(PanelSwitch::Panel6));

    m_progress = std::make_unique<ProgressPanel>(panel(PanelSwitch::Panel2));
    m_progress->showTests(m_course);
    new PickedUserButtons(this, m_session, *m_progress);
    connect(m_progress.get(), &ProgressPanel::backRequested, this,
            guard(this, &TForm1::SpeedButton4Click));
    connect(m_progress.get(), &ProgressPanel::userPicked, this,
            guard(this, &TForm1::ComboBox1Select));
}

void TForm1::applySwitch(PanelSwitch::Command command)
{
    const PanelSwitch::Row row = PanelSwitch::row(command);
    for (int i = 0; i < PanelSwitch::PanelCount; ++i) {
        const PanelSwitch::State state = row.panels[static_cast<size_t>(i)];
        if (state != PanelSwitch::State::Keep)
            panel(PanelSwitch::Panel(i))->setVisible(state == PanelSwitch::State::Show);
    }
    focusFront();
    switch (row.menus) {
    case PanelSwitch::Menus::Unchanged:
    case PanelSwitch::Menus::ByRole:
        break;
    case PanelSwitch::Menus::HideContents:
        m_menu->showRole(MenuTree::Role::Guest);
        break;
    case PanelSwitch::Menus::HideContentsAndProgress:
        m_menu->setTestRunning(true);
        break;
    case PanelSwitch::Menus::ShowContentsAndProgress:
        m_menu->setTestRunning(false);
        break;
    }
}

void TForm1::focusFront()
{
    QWidget *const first[PanelSwitch::PanelCount] = {
        m_webBrowser1, m_progress->firstControl(), m_test->firstControl(), m_login->firstControl(),
        m_log->Memo2,  m_settings->firstControl()};
    std::array<bool, PanelSwitch::PanelCount> shown{};
    for (int i = 0; i < PanelSwitch::PanelCount; ++i)
        shown[size_t(i)] = !panel(PanelSwitch::Panel(i))->isHidden();
    if (const auto front = PanelSwitch::front(shown))
        WindowFit::focus(first[*front]);
}

void TForm1::runEntry(const MenuTree::Entry &entry)
{
    // Each test entry names its test, as test1Click … test10Click do.
    if (entry.kind == MenuTree::Kind::Operation) {
        if (const auto handler = m_handlers.value(entry.argument))
            (this->*handler)();
    } else if (entry.kind == MenuTree::Kind::Test)
        startTest(entry.name.toLatin1());
    else if (entry.kind == MenuTree::Kind::Page)
        OpenPage(entry.argument);
    else if (entry.kind == MenuTree::Kind::Presentation)
        StartExternal(entry.argument);
}

void TForm1::FormCreate()
{
    if (m_course.broken())
        m_webBrowser1->setHtml(m_course.findingsPage());
    else
        LoadPage(m_course.startPage());
}

void TForm1::FormShow()
{
    m_session.start();
}

bool TForm1::FormCloseQuery()
{
    return m_runs->mayClose() &&
           QMessageBox::warning(
               this, windowTitle(), u"Вы действительно хотите выйти из программы?"_s,
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void TForm1::FormClose()
{
    m_runs->writeScores();
}

void TForm1::SpeedButton1Click(const QString &name, const QString &password)
{
    const Refusal refusal = m_session.registerUser(name, password);
    if (refusal != Refusal::None) {
        QMessageBox::warning(this, windowTitle(),
                             CodePage::toUnicode(m_session.refusalText(refusal)));
        return;
    }
    QMessageBox::information(this, windowTitle(),
                             u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s);
}

void TForm1::SpeedButton3Click(const QString &name, const QString &password)
{
    const Session::Login login = m_session.logIn(name, password);
    switch (login.result) {
    case Session::LoginResult::Ignored:
        return;
    case Session::LoginResult::Refused:
        QMessageBox::critical(this, windowTitle(), u"Проверьте правильность имени и пароля!"_s);
        return;
    case Session::LoginResult::Student:
    case Session::LoginResult::Administrator:
        applyLogin(login);
        return;
    }
}

void TForm1::applyLogin(const Session::Login &login)
{
    QList<QByteArray> passed;
    for (const MenuTree::Entry *test : m_course.tests()) {
        if (!login.locked.contains(test->name.toLatin1()))
            passed.append(test->name.toLatin1());
    }
    m_menu->applyUnlocking(passed, true);
    applySwitch(PanelSwitch::Command::Login);
    const bool administrator = login.result == Session::LoginResult::Administrator;
    m_menu->showRole(administrator ? MenuTree::Role::Administrator : MenuTree::Role::Student);
    if (administrator)
        m_progress->showUserList();
    m_runs->loggedIn(!administrator);
}

void TForm1::SpeedButton2Click(const QString &name, const QString &password)
{
    UserRemoval::run(this, m_session, name, password);
}

void TForm1::SpeedButton7Click(const ClassSettings &edited, const QString &password,
                               const QString &repeated)
{
    const Session::SettingsSave save = m_session.saveSettings(edited, password, repeated, false);
    const QString text = CodePage::toUnicode(m_session.settingsText());
    if (save == Session::SettingsSave::Mismatch)
        QMessageBox::critical(this, windowTitle(), text);
    else if (save == Session::SettingsSave::Refused)
        QMessageBox::warning(this, windowTitle(), text);
    else if (save == Session::SettingsSave::NeedsConfirm &&
             QMessageBox::question(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No) == QMessageBox::Yes)
        m_session.saveSettings(edited, true);
}

void TForm1::ComboBox1Select()
{
    // The labels change only after all twelve grades were read.
    m_session.pick(m_progress->currentUser());
    m_progress->showScores(m_session.scores(), m_session.changes());
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    fitOuterSize();
    guarded([this] { FormShow(); });
}

void TForm1::fitOuterSize()
{
    WindowFit::fit(this, QSize(OuterWidth, OuterHeight),
                   QSize(AssumedFrameWidth, AssumedFrameHeight));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool allowed = false;
    guarded([this, &allowed] { allowed = FormCloseQuery(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    // A refused write-back is shown; the window still closes, since nothing
    // inside the program could make the write go through on a second try.
    guarded([this] { FormClose(); });
    event->accept();
    emit closed();
}

void TForm1::N26Click()
{
    if (!m_okRightDlg)
        return;
    m_okRightDlg->setWindowTitle(u"О программе"_s);
    m_okRightDlg->exec();
}

void TForm1::N27Click()
{
    OpenPage(m_course.startPage());
}

void TForm1::N15Click()
{
    if (m_form5)
        m_form5->showForward();
}

void TForm1::NiClick()
{
    applySwitch(PanelSwitch::Command::ProgressView);
    m_progress->showUserName(m_session.userName());
    m_progress->showScores(m_session.scores(), m_session.changes());
}

void TForm1::N30Click()
{
    applySwitch(PanelSwitch::Command::TestLog);
    m_log->load(*m_store);
}

void TForm1::nredClick()
{
    if (!m_form2)
        return;
    m_form2->setWindowTitle(CodePage::toUnicode(m_session.userName()));
    m_form2->exec();
}

void TForm1::NclassClick()
{
    applySwitch(PanelSwitch::Command::PageRule);
    m_classReport->show(*m_store);
}
