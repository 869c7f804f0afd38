#include "TForm1.h"

#include "AccessKeys.h"
#include "Accounts.h"
#include "AnswerButton.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "Grading.h"
#include "HandlerGuard.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "Look.h"
#include "PageDisplay.h"
#include "ProgressPanel.h"
#include "RuntimeError.h"
#include "SettingsCheck.h"
#include "SettingsPanel.h"
#include "Store.h"
#include "TForm5.h"
#include "TOKRightDlg.h"
#include "TestFile.h"
#include "TestLog.h"
#include "TestPanel.h"
#include "UnlockTable.h"
#include "UserList.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QWebEngineView>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

// The layout gives the outer size of the window. Until the window is on
// screen the frame is unknown; the frame of the original desktop takes 16
// pixels across and 39 down.
constexpr int OuterWidth = 949;
constexpr int OuterHeight = 815;
constexpr int AssumedFrameWidth = 16;
constexpr int AssumedFrameHeight = 39;

const QString StartPage = u"\\data\\help\\sod.htm"_s;

QByteArray stored(const QLineEdit *edit)
{
    return CodePage::fromUnicode(edit->text());
}

QStyle::StandardPixmap pictureFor(const MenuTree::Entry &entry)
{
    switch (entry.kind) {
    case MenuTree::Kind::Group:
        return QStyle::SP_DirIcon;
    case MenuTree::Kind::Page:
        return QStyle::SP_FileIcon;
    case MenuTree::Kind::Presentation:
        return QStyle::SP_MediaPlay;
    case MenuTree::Kind::Test:
        return QStyle::SP_DialogApplyButton;
    case MenuTree::Kind::Operation:
        break;
    }
    if (entry.name == u"N17"_s)
        return QStyle::SP_ArrowBack;
    if (entry.name == u"N26"_s || entry.name == u"N15"_s)
        return QStyle::SP_MessageBoxInformation;
    if (entry.name == u"Ni"_s || entry.name == u"N30"_s)
        return QStyle::SP_FileDialogDetailedView;
    return QStyle::SP_ComputerIcon;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(CourseInfo::Title);
    setFont(Look::sansSerif(11));
    Look::setBackground(this, Look::buttonFace());
    setFixedSize(OuterWidth - AssumedFrameWidth, OuterHeight - AssumedFrameHeight);
    HandlerGuard::setCaption(CourseInfo::Title);

    m_handlers = {
        {u"Ne"_s, &TForm1::NeClick},
        {u"NaFormuAvtorizazii"_s, &TForm1::NaFormuAvtorizaziiClick},
        {u"N17"_s, &TForm1::N17Click},
        {u"N26"_s, &TForm1::N26Click},
        {u"N27"_s, &TForm1::N27Click},
        {u"N15"_s, &TForm1::N15Click},
        {u"Ni"_s, &TForm1::NiClick},
        {u"N30"_s, &TForm1::N30Click},
        {u"Ntun"_s, &TForm1::NtunClick},
        {u"nred"_s, &TForm1::nredClick},
        {u"test1"_s, &TForm1::test1Click},
        {u"test2"_s, &TForm1::test2Click},
        {u"test3"_s, &TForm1::test3Click},
        {u"test4"_s, &TForm1::test4Click},
        {u"test5"_s, &TForm1::test5Click},
        {u"test6"_s, &TForm1::test6Click},
        {u"test7"_s, &TForm1::test7Click},
        {u"test8"_s, &TForm1::test8Click},
        {u"test9"_s, &TForm1::test9Click},
        {u"test10"_s, &TForm1::test10Click},
    };

    buildMenu();
    buildPanels();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::buildPanels()
{
    auto *client = new QWidget(this);
    client->setObjectName(u"ClientArea"_s);
    setCentralWidget(client);

    struct Layout
    {
        QFrame **field;
        const char *name;
        QColor colour;
        QRect geometry;
        bool visible;
    };
    const Layout layouts[] = {
        {&Panel1, "Panel1", Look::buttonFace(), QRect(0, 0, 921, 737), true},
        {&Panel2, "Panel2", Look::teal(), QRect(0, -8, 921, 745), true},
        {&Panel3, "Panel3", Look::skyBlue(), QRect(0, 0, 921, 737), true},
        {&Panel4, "Panel4", Look::scrollBar(), QRect(-8, 0, 921, 737), true},
        {&Panel6, "Panel6", Look::buttonFace(), QRect(1, 1, 920, 736), false},
        {&Panel7, "Panel7", Look::skyBlue(), QRect(1, 1, 920, 736), false},
    };
    for (const Layout &layout : layouts) {
        auto *frame = new QFrame(client);
        frame->setObjectName(QString::fromLatin1(layout.name));
        frame->setGeometry(layout.geometry);
        Look::setBackground(frame, layout.colour);
        Look::bevel(frame);
        frame->setVisible(layout.visible);
        *layout.field = frame;
    }
    // Front to back Panel4, Panel7, Panel6, Panel1, Panel3, Panel2: each
    // raise puts the panel in front of those raised before it.
    for (QFrame *frame : {Panel2, Panel3, Panel1, Panel6, Panel7, Panel4})
        frame->raise();

    m_display = std::make_unique<PageDisplay>(
        Panel1, [this] { applySwitch(PanelSwitch::Command::PageRule); });
    WebBrowser1 = m_display->view();

    Button2 = new QPushButton(u"Button2"_s, client);
    Button2->setObjectName(u"Button2"_s);
    Button2->hide();
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });

    Edit1 = new QLineEdit(client);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->hide();

    buildPanelControls();
}

void TForm1::buildPanelControls()
{
    login = std::make_unique<LoginPanel>(Panel4);
    connectButton(login->SpeedButton1, &TForm1::SpeedButton1Click);
    connectButton(login->SpeedButton2, &TForm1::SpeedButton2Click);
    connectButton(login->SpeedButton3, &TForm1::SpeedButton3Click);

    settings = std::make_unique<SettingsPanel>(Panel7, CourseInfo::Title);
    connectButton(settings->SpeedButton7, &TForm1::SpeedButton7Click);
    connectButton(settings->SpeedButton6, &TForm1::SpeedButton6Click);

    test = new TestPanel(Panel3);
    void (TForm1::*const answers[])() = {
        &TForm1::RadioButton1DblClick, &TForm1::RadioButton2DblClick, &TForm1::RadioButton3DblClick,
        &TForm1::RadioButton4DblClick, &TForm1::RadioButton5DblClick};
    for (int i = 1; i <= TestPanel::AnswerCount; ++i) {
        const auto handler = answers[i - 1];
        connect(test->answerButton(i), &AnswerButton::doubleClicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    }

    log = std::make_unique<LogPanel>(Panel6);

    progress = std::make_unique<ProgressPanel>(Panel2);
    connectButton(progress->SpeedButton4, &TForm1::SpeedButton4Click);
    // A pick from the list, not typing, chooses the user.
    connect(progress->ComboBox1, &QComboBox::activated, this,
            [this] { guarded([this] { ComboBox1Select(); }); });
}

void TForm1::connectButton(QAbstractButton *button, void (TForm1::*handler)())
{
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void TForm1::showEntries(std::initializer_list<const char *> names)
{
    for (const char *name : names)
        menuEntry(QString::fromLatin1(name))->setVisible(true);
}

void TForm1::buildMenu()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(u"MainMenu1"_s);
    setMenuBar(MainMenu1);
    addMenuLevel(QString(), MainMenu1);
}

void TForm1::addMenuLevel(const QString &parent, QWidget *container)
{
    const QList<MenuTree::Entry> level = MenuTree::children(parent);
    QStringList captions;
    for (const MenuTree::Entry &entry : level)
        captions.append(entry.caption);
    const QStringList marked = AccessKeys::assign(captions);

    for (qsizetype i = 0; i < level.size(); ++i) {
        const MenuTree::Entry &entry = level.at(i);
        QAction *action = nullptr;
        if (entry.kind == MenuTree::Kind::Group) {
            auto *menu = new QMenu(marked.at(i), container);
            menu->setObjectName(entry.name);
            action = menu->menuAction();
            m_groups.insert(entry.name.toLower(), menu);
            addMenuLevel(entry.name, menu);
        } else {
            action = new QAction(marked.at(i), container);
            const MenuTree::Entry copy = entry;
            connect(action, &QAction::triggered, this,
                    [this, copy] { guarded([this, &copy] { runEntry(copy); }); });
        }
        action->setObjectName(entry.name);
        if (entry.hasPicture())
            action->setIcon(style()->standardIcon(pictureFor(entry)));
        action->setVisible(entry.visible);
        action->setEnabled(true);
        container->addAction(action);
        m_entries.insert(entry.name.toLower(), action);
    }
}

QAction *TForm1::menuEntry(const QString &name) const
{
    return m_entries.value(name.toLower());
}

QMenu *TForm1::menuGroup(const QString &name) const
{
    return m_groups.value(name.toLower());
}

QFrame *TForm1::panel(PanelSwitch::Panel panel) const
{
    const QFrame *const panels[PanelSwitch::PanelCount] = {Panel1, Panel2, Panel3,
                                                           Panel4, Panel6, Panel7};
    return const_cast<QFrame *>(panels[panel]);
}

void TForm1::applySwitch(PanelSwitch::Command command)
{
    const PanelSwitch::Row row = PanelSwitch::row(command);
    for (int i = 0; i < PanelSwitch::PanelCount; ++i) {
        const PanelSwitch::State state = row.panels[static_cast<size_t>(i)];
        if (state != PanelSwitch::State::Keep)
            panel(static_cast<PanelSwitch::Panel>(i))
                ->setVisible(state == PanelSwitch::State::Show);
    }
    switch (row.menus) {
    case PanelSwitch::Menus::Unchanged:
    case PanelSwitch::Menus::ByRole:
        break;
    case PanelSwitch::Menus::HideContents:
        menuEntry(u"N0"_s)->setVisible(false);
        break;
    case PanelSwitch::Menus::HideContentsAndProgress:
        menuEntry(u"N0"_s)->setVisible(false);
        menuEntry(u"Ni"_s)->setVisible(false);
        break;
    case PanelSwitch::Menus::ShowContentsAndProgress:
        menuEntry(u"N0"_s)->setVisible(true);
        menuEntry(u"Ni"_s)->setVisible(true);
        break;
    }
}

void TForm1::OpenPage(const QString &relativePath)
{
    m_display->OpenPage(relativePath);
}

void TForm1::LoadPage(const QString &relativePath)
{
    m_display->LoadPage(relativePath);
}

void TForm1::StartExternal(const QString &commandLine)
{
    PageDisplay::StartExternal(commandLine);
}

QByteArray TForm1::crypt(const QByteArray &text)
{
    return Store::crypt(text);
}

void TForm1::enable(const QByteArray &testName, bool flag)
{
    for (const QByteArray &name : UnlockTable::entries(testName)) {
        if (QAction *entry = menuEntry(QString::fromLatin1(name)))
            entry->setEnabled(flag);
    }
}

bool TForm1::guarded(const std::function<void()> &handler)
{
    return HandlerGuard::run(this, handler);
}

void TForm1::runEntry(const MenuTree::Entry &entry)
{
    if (const auto handler = m_handlers.value(entry.name)) {
        (this->*handler)();
        return;
    }
    switch (entry.kind) {
    case MenuTree::Kind::Page:
        OpenPage(entry.argument);
        break;
    case MenuTree::Kind::Presentation:
        StartExternal(entry.argument);
        break;
    case MenuTree::Kind::Group:
    case MenuTree::Kind::Test:
    case MenuTree::Kind::Operation:
        break;
    }
}

void TForm1::FormCreate()
{
    LoadPage(StartPage);
}

void TForm1::FormShow()
{
    // A first run has no list file yet; the first registration creates it.
    userList = UserList::exists() ? UserList::load() : QList<QByteArray>();
    progress->setUsers(userList);
    writeBack = false;
    applySwitch(PanelSwitch::Command::FormShow);
    adminSettings = AdminSettings::read();
    fillSettingsPanel();
}

bool TForm1::FormCloseQuery()
{
    return QMessageBox::warning(
               this, windowTitle(), u"Вы действительно хотите выйти из программы?"_s,
               QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void TForm1::FormClose()
{
    if (writeBack)
        writeScores();
}

void TForm1::writeScores()
{
    if (Accounts::writeScores(userName, scores))
        return;
    QMessageBox::information(this, windowTitle(),
                             u"Оценки не сохранены: регистрация пользователя %1 удалена."_s.arg(
                                 CodePage::toUnicode(userName)));
}

void TForm1::unlockAll()
{
    for (int k = 1; k <= 10; ++k)
        enable(Accounts::testKey(k), true);
}

void TForm1::fillSettingsPanel()
{
    settings->Edit3->setText(CodePage::toUnicode(adminSettings.login));
    settings->Edit4->setText(CodePage::toUnicode(adminSettings.password));
    settings->Edit5->setText(CodePage::toUnicode(adminSettings.password));
    settings->Edit6->setText(CodePage::toUnicode(adminSettings.logName));
}

void TForm1::SpeedButton1Click()
{
    userName = stored(login->Edit2);
    Accounts::Registration registration;
    registration.refusal = Accounts::checkSpelling(login->Edit2->text(), login->MaskEdit1->text());
    if (registration.refusal == Accounts::Refusal::None) {
        try {
            registration =
                Accounts::registerUser(userName, stored(login->MaskEdit1), adminSettings.login);
        } catch (...) {
            // Another copy may have changed the list meanwhile.
            if (UserList::exists())
                progress->setUsers(userList = UserList::load());
            throw;
        }
    }
    if (registration.refusal != Accounts::Refusal::None) {
        QMessageBox::warning(this, windowTitle(),
                             CodePage::toUnicode(Accounts::refusalText(registration.refusal)));
        return;
    }
    progress->setUsers(userList = registration.list);
    QMessageBox::information(this, windowTitle(),
                             u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s);
}

void TForm1::SpeedButton3Click()
{
    userName = stored(login->Edit2);
    const QByteArray password = stored(login->MaskEdit1);
    // Without an administrator login nobody takes the administrator's way in,
    // an empty name included.
    if (!adminSettings.login.isEmpty() && userName == adminSettings.login) {
        if (password != adminSettings.password)
            return;
        unlockAll();
        applySwitch(PanelSwitch::Command::Login);
        showEntries({"N0", "notch", "nred", "Ni", "Ntun", "nlab", "Nprak", "Nrk", "Nadm"});
        progress->ComboBox1->setVisible(true);
        menuEntry(u"NaFormuAvtorizazii"_s)->setVisible(false);
        return;
    }
    if (!Accounts::passwordMatches(userName, password)) {
        QMessageBox::critical(this, windowTitle(), u"Проверьте правильность имени и пароля!"_s);
        return;
    }
    for (int k = 1; k <= 10; ++k)
        scores[k - 1] = Accounts::readGrade(userName, k);
    // Gated only once every grade has been read, from all rows open: a login
    // that fails part way locks nothing for the next one.
    unlockAll();
    for (int k = 1; k <= 10; ++k) {
        if (scores[k - 1] < Grading::PassGrade)
            enable(Accounts::testKey(k), false);
    }
    writeBack = true;
    applySwitch(PanelSwitch::Command::Login);
    showEntries({"N0", "Ni", "nlab", "Nprak", "Nrk", "Nadm"});
    menuEntry(u"NaFormuAvtorizazii"_s)->setVisible(false);
}

void TForm1::SpeedButton2Click()
{
    const QByteArray name = stored(login->Edit2);
    if (!Accounts::passwordMatches(name, stored(login->MaskEdit1))) {
        QMessageBox::critical(this, windowTitle(), u"Проверьте правильность имени и пароля!"_s);
        return;
    }
    userList = Accounts::removeUser(name);
    progress->setUsers(userList);
}

void TForm1::SpeedButton7Click()
{
    if (settings->Edit4->text() != settings->Edit5->text()) {
        QMessageBox::critical(this, windowTitle(), u"Проверьте пароль!"_s);
        return;
    }
    AdminSettings edited;
    edited.login = stored(settings->Edit3);
    edited.password = stored(settings->Edit5);
    edited.logName = stored(settings->Edit6);
    const SettingsCheck::Verdict verdict = SettingsCheck::check(edited);
    const QString text = CodePage::toUnicode(SettingsCheck::text(verdict, edited));
    if (SettingsCheck::refuses(verdict)) {
        QMessageBox::warning(this, windowTitle(), text);
        return;
    }
    if (verdict == SettingsCheck::Verdict::LoginIsUser &&
        QMessageBox::question(this, windowTitle(), text, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    // The settings in memory stay as read at start-up until the next start.
    edited.write();
}

void TForm1::SpeedButton4Click()
{
    applySwitch(PanelSwitch::Command::ProgressBack);
}

void TForm1::ComboBox1Select()
{
    const QByteArray name = progress->currentUser();
    // Entries read before a failing one keep their new values; the labels
    // change only after all twelve were read.
    for (int k = 1; k <= Accounts::TestCount; ++k)
        scores[k - 1] = Accounts::readGrade(name, k);
    progress->showScores(scores);
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
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() > 0 || frame.height() > 0)
        setFixedSize(OuterWidth - frame.width(), OuterHeight - frame.height());
    Look::centreOnScreen(this, QSize(OuterWidth, OuterHeight));
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

void TForm1::NeClick()
{
    close();
}

void TForm1::NaFormuAvtorizaziiClick()
{
    applySwitch(PanelSwitch::Command::NaFormuAvtorizazii);
}

void TForm1::SpeedButton6Click()
{
    applySwitch(PanelSwitch::Command::SettingsBack);
}

void TForm1::N17Click()
{
    applySwitch(PanelSwitch::Command::SettingsBack);
}

void TForm1::N26Click()
{
    if (!OKRightDlg)
        return;
    OKRightDlg->setWindowTitle(u"О программе"_s);
    OKRightDlg->exec();
}

void TForm1::N27Click()
{
    OpenPage(StartPage);
}

void TForm1::N15Click()
{
    if (Form5)
        Form5->showForward();
}

void TForm1::NiClick()
{
    applySwitch(PanelSwitch::Command::ProgressView);
    progress->showUserName(userName);
    progress->showScores(scores);
}

void TForm1::N30Click()
{
    applySwitch(PanelSwitch::Command::TestLog);
    log->load(adminSettings.logName);
}

void TForm1::NtunClick()
{
    applySwitch(PanelSwitch::Command::AdminSettings);
}

void TForm1::nredClick()
{
    if (!Form2)
        return;
    Form2->setWindowTitle(CodePage::toUnicode(userName));
    Form2->exec();
}

void TForm1::startTest(const char *name)
{
    testName = QByteArray(name);
    // The hidden button's click starts the run, as for every test entry.
    Button2->click();
}

void TForm1::test1Click()
{
    startTest("test1");
}

void TForm1::test2Click()
{
    startTest("test2");
}

void TForm1::test3Click()
{
    startTest("test3");
}

void TForm1::test4Click()
{
    startTest("test4");
}

void TForm1::test5Click()
{
    startTest("test5");
}

void TForm1::test6Click()
{
    startTest("test6");
}

void TForm1::test7Click()
{
    startTest("test7");
}

void TForm1::test8Click()
{
    startTest("test8");
}

void TForm1::test9Click()
{
    startTest("test9");
}

void TForm1::test10Click()
{
    startTest("test10");
}

void TForm1::Button2Click()
{
    if (const QByteArray refusal = TestFile::startRefusal(testName); !refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), CodePage::toUnicode(refusal));
        return;
    }

    Tag = 1;
    rightCount = 0;
    runOver = false;
    Edit1->setText(CodePage::toUnicode(testName));
    test->startLook();
    applySwitch(PanelSwitch::Command::TestStart);
    showQuestion(Tag);
}

void TForm1::showQuestion(int k)
{
    const TestFile file(testName);
    std::array<QByteArray, TestPanel::AnswerCount> answers;
    for (int i = 1; i <= TestPanel::AnswerCount; ++i)
        answers[i - 1] = file.answer(k, i);
    test->showQuestion(file.question(k), answers);
}

void TForm1::answer(const char *button)
{
    chosenAnswer = QByteArray(button);
    RadioButton6DblClick();
}

void TForm1::RadioButton1DblClick()
{
    answer("RadioButton1");
}

void TForm1::RadioButton2DblClick()
{
    answer("RadioButton2");
}

void TForm1::RadioButton3DblClick()
{
    answer("RadioButton3");
}

void TForm1::RadioButton4DblClick()
{
    answer("RadioButton4");
}

void TForm1::RadioButton5DblClick()
{
    answer("RadioButton5");
}

void TForm1::RadioButton6DblClick()
{
    // After the last answer the run is over, even when its end failed part
    // way: a further answer must not be counted and graded again.
    if (runOver)
        return;
    const TestFile file(testName);
    if (chosenAnswer.right(1) == file.rightAnswer(Tag))
        ++rightCount;
    ++Tag;
    const int count = file.count();
    if (count < 1)
        throw RuntimeError(u"Число вопросов теста %1 неверно: %2"_s.arg(
            CodePage::toUnicode(testName), QString::number(count)));
    if (Tag <= count) {
        showQuestion(Tag);
        return;
    }
    finishTest(count);
}

void TForm1::finishTest(int count)
{
    runOver = true;
    const int grade = Grading::grade(rightCount, count);
    const int k = testName.mid(4).toInt();
    if (k >= 1 && k <= Accounts::TestCount)
        scores[k - 1] = quint8(grade);
    Edit1->setText(QString::number(grade));
    const QByteArray line = TestLog::line(userName, QDateTime::currentDateTime(), testName, grade);
    Edit1->setText(CodePage::toUnicode(line));
    TestLog::append(adminSettings.logName, line);

    NiClick();
    for (int j = 1; j <= Accounts::TestCount; ++j) {
        if (scores[j - 1] >= Grading::PassGrade)
            enable(Accounts::testKey(j), true);
    }
    // The administrator has no record among the users; only a student's
    // grades are stored.
    if (writeBack)
        writeScores();
}
