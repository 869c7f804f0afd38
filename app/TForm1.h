// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"
#include "HandlerGuard.h"
#include "MainMenu.h"
#include "MenuTree.h"
#include "PageDisplay.h"
#include "PanelSwitch.h"
#include "RunScreen.h"
#include "Session.h"
#include "Store.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class ClassReportView;
class LogPanel;
class LoginPanel;
class ProgressPanel;
class SettingsPanel;
class TestPanel;
class QAction;
class QDialog;
class QFrame;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QWebEngineView;
class TForm5;
class TOKRightDlg;

// The main window: the menu bar of the course and the stacked workspace
// panels. The run's state and rules live in its Session and the test run's
// in its RunScreen; the window forwards each command to them and shows what
// they report.
// Closing it ends the program.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // The class kept in the given store.
    explicit TForm1(std::unique_ptr<ClassStore> store, QWidget *parent = nullptr);
    ~TForm1() override;

    // The windows created after this one and shown from its menus.
    void setAuthoringWindow(QDialog *form2) { m_form2 = form2; }
    void setAboutWindow(TOKRightDlg *dialog) { m_okRightDlg = dialog; }
    void setAuthorWindow(TForm5 *window) { m_form5 = window; }

    // A menu entry by name, without regard to letter case; nullptr if none.
    // A group is found through the action that opens its list.
    QAction *menuEntry(const QString &name) const { return m_menu->entry(name); }
    QMenu *menuGroup(const QString &name) const { return m_menu->group(name); }
    QMenuBar *mainMenu() const { return m_menu->bar(); }

    QFrame *panel(PanelSwitch::Panel panel) const { return m_panels[panel]; }
    LoginPanel &loginPanel() const { return *m_login; }
    SettingsPanel &settingsPanel() const { return *m_settings; }
    ProgressPanel &progressPanel() const { return *m_progress; }
    LogPanel &logPanel() const { return *m_log; }
    TestPanel &testPanel() const { return *m_test; }
    ClassReportView &classReport() const { return *m_classReport; }
    QWebEngineView *webBrowser() const { return m_webBrowser1; }
    // The hidden button that starts a test and the hidden scratch field.
    QPushButton *button2() const { return m_button2; }
    QLineEdit *edit1() const { return m_edit1; }

    const Session &session() const { return m_session; }
    const CourseStructure &course() const { return m_course; }
    // The course folder's test run; on the class's server it stays unused.
    const TestRun &run() const { return m_runs->localRun(); }

    // Sets the panels and menus of the command's row of the switching table.
    void applySwitch(PanelSwitch::Command command);

    // Scrambling of stored values, the store's own.
    static QByteArray crypt(const QByteArray &text) { return Store::crypt(text); }

    // Enables or disables the menu entries that wait for the test; only
    // their enabled state changes.
    void enable(const QByteArray &testName, bool flag) { m_menu->enableRow(testName, flag); }

    // The page operations on the HTML view of Panel1.
    void OpenPage(const QString &relativePath) { m_display->OpenPage(relativePath); }
    void LoadPage(const QString &relativePath) { m_display->LoadPage(relativePath); }
    void StartExternal(const QString &commandLine) { PageDisplay::StartExternal(commandLine); }

    // Runs a handler at the edge: a failure inside it is shown in the error
    // box and ends the handler. Returns false in that case.
    bool guarded(const std::function<void()> &handler) { return HandlerGuard::run(this, handler); }

public slots:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    virtual void FormClose();

    // The login panel's and the settings panel's requests.
    void SpeedButton1Click(const QString &name, const QString &password);
    void SpeedButton2Click(const QString &name, const QString &password);
    void SpeedButton3Click(const QString &name, const QString &password);
    void SpeedButton7Click(const ClassSettings &edited, const QString &password,
                           const QString &repeated);
    void SpeedButton4Click() { applySwitch(PanelSwitch::Command::ProgressBack); }
    void ComboBox1Select();

    void NeClick() { close(); }
    void NaFormuAvtorizaziiClick() { applySwitch(PanelSwitch::Command::NaFormuAvtorizazii); }
    void SpeedButton6Click() { applySwitch(PanelSwitch::Command::SettingsBack); }
    void N17Click() { applySwitch(PanelSwitch::Command::SettingsBack); }
    void N26Click();
    void N27Click();
    void N15Click();
    void NiClick();
    void N30Click();
    void NtunClick() { applySwitch(PanelSwitch::Command::AdminSettings); }
    void nredClick();
    // "Отчёт по классу": the working folder's class report in the HTML view.
    void NclassClick();

    // The test menu entries name the test and trigger the hidden button.
    void test1Click() { startTest("test1"); }
    void test2Click() { startTest("test2"); }
    void test3Click() { startTest("test3"); }
    void test4Click() { startTest("test4"); }
    void test5Click() { startTest("test5"); }
    void test6Click() { startTest("test6"); }
    void test7Click() { startTest("test7"); }
    void test8Click() { startTest("test8"); }
    void test9Click() { startTest("test9"); }
    void test10Click() { startTest("test10"); }

    // Each answer button gives its digit as the answer.
    void RadioButton1DblClick() { m_runs->answer(1); }
    void RadioButton2DblClick() { m_runs->answer(2); }
    void RadioButton3DblClick() { m_runs->answer(3); }
    void RadioButton4DblClick() { m_runs->answer(4); }
    void RadioButton5DblClick() { m_runs->answer(5); }

signals:
    // The window has closed for good; the program ends with it.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPanels();
    void buildPanelControls();
    void runEntry(const MenuTree::Entry &entry);
    void startTest(const QByteArray &name) { m_runs->startTest(name); }
    // The login's menus, the rows it locks, and the login panel gone.
    void applyLogin(const Session::Login &login);
    void fitOuterSize();
    // The focus to the first control of the panel in front.
    void focusFront();

    const CourseStructure m_course;
    std::unique_ptr<ClassStore> m_store;
    Session m_session;
    std::unique_ptr<RunScreen> m_runs;

    MainMenu *m_menu = nullptr;
    std::array<QFrame *, PanelSwitch::PanelCount> m_panels{};
    QWebEngineView *m_webBrowser1 = nullptr;
    QPushButton *m_button2 = nullptr;
    QLineEdit *m_edit1 = nullptr;
    std::unique_ptr<LoginPanel> m_login;       // the controls of Panel4
    std::unique_ptr<SettingsPanel> m_settings; // the controls of Panel7
    std::unique_ptr<ProgressPanel> m_progress; // the controls of Panel2
    std::unique_ptr<LogPanel> m_log;           // the memo of Panel6
    TestPanel *m_test = nullptr;               // the controls of Panel3, owned by it

    QDialog *m_form2 = nullptr;
    TOKRightDlg *m_okRightDlg = nullptr;
    TForm5 *m_form5 = nullptr;

    std::unique_ptr<PageDisplay> m_display;
    ClassReportView *m_classReport = nullptr;
    QHash<QString, void (TForm1::*)()> m_handlers;
    bool m_shownOnce = false;
};
