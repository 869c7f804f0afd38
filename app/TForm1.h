#pragma once

#include "AdminSettings.h"
#include "MenuTree.h"
#include "PanelSwitch.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMainWindow>

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>

class LogPanel;
class LoginPanel;
class PageDisplay;
class ProgressPanel;
class SettingsPanel;
class TestPanel;
class QAbstractButton;
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

// The main window: the menu bar of the course, the stacked workspace panels
// and all state of a run. Closing it ends the program.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The windows created after this one and shown from its menus.
    void setAuthoringWindow(QDialog *form2) { Form2 = form2; }
    void setAboutWindow(TOKRightDlg *dialog) { OKRightDlg = dialog; }
    void setAuthorWindow(TForm5 *window) { Form5 = window; }

    // A menu entry by name, without regard to letter case; nullptr if none.
    // A group is found through the action that opens its list.
    QAction *menuEntry(const QString &name) const;
    QMenu *menuGroup(const QString &name) const;

    QFrame *panel(PanelSwitch::Panel panel) const;

    // Sets the panels and menus of the command's row of the switching table.
    void applySwitch(PanelSwitch::Command command);

    // Scrambling of stored values, the store's own.
    static QByteArray crypt(const QByteArray &text);

    // Enables or disables the menu entries that the test's passing makes
    // available (the next lecture topic and the next test); only their
    // enabled state changes.
    void enable(const QByteArray &testName, bool flag);

    // The page operations on the HTML view of Panel1.
    void OpenPage(const QString &relativePath);
    void LoadPage(const QString &relativePath);
    void StartExternal(const QString &commandLine);

    // Runs a handler at the edge: a failure inside it is shown in the error
    // box and ends the handler. Returns false in that case.
    bool guarded(const std::function<void()> &handler);

    // Run state, owned here for the whole run.
    QByteArray userName;             // logged-in user name, as typed
    std::array<quint8, 12> scores{}; // entry k-1 holds the grade of test k
    bool writeBack = false;          // set only by a completed student login
    AdminSettings adminSettings;     // read once when the window is shown
    QList<QByteArray> userList;      // the items of the user combo box
    QByteArray testName;             // "test1" … "test10" while a test runs
    int Tag = 0;                     // the current question number
    int rightCount = 0;              // right answers of the running test
    bool runOver = true;             // the last question of the run was answered

    QMenuBar *MainMenu1;
    QFrame *Panel1;
    QFrame *Panel2;
    QFrame *Panel3;
    QFrame *Panel4;
    QFrame *Panel6;
    QFrame *Panel7;
    QWebEngineView *WebBrowser1;
    QPushButton *Button2;
    QLineEdit *Edit1;

    std::unique_ptr<LoginPanel> login;       // the controls of Panel4
    std::unique_ptr<SettingsPanel> settings; // the controls of Panel7
    std::unique_ptr<ProgressPanel> progress; // the controls of Panel2
    std::unique_ptr<LogPanel> log;           // the memo of Panel6
    TestPanel *test = nullptr;               // the controls of Panel3, owned by it
    QByteArray chosenAnswer;                 // the answer button double-clicked last

    QDialog *Form2 = nullptr;
    TOKRightDlg *OKRightDlg = nullptr;
    TForm5 *Form5 = nullptr;

public slots:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    virtual void FormClose();

    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton7Click();
    void SpeedButton4Click();
    void ComboBox1Select();

    void NeClick();
    void NaFormuAvtorizaziiClick();
    void SpeedButton6Click();
    void N17Click();
    void N26Click();
    void N27Click();
    void N15Click();
    void NiClick();
    void N30Click();
    void NtunClick();
    void nredClick();

    void test1Click();
    void test2Click();
    void test3Click();
    void test4Click();
    void test5Click();
    void test6Click();
    void test7Click();
    void test8Click();
    void test9Click();
    void test10Click();

    // The test start: the test menu entries set testName and trigger the
    // hidden button.
    void Button2Click();
    void RadioButton1DblClick();
    void RadioButton2DblClick();
    void RadioButton3DblClick();
    void RadioButton4DblClick();
    void RadioButton5DblClick();
    // The answer routine the five answer buttons share.
    void RadioButton6DblClick();

signals:
    // The window has closed for good; the program ends with it.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPanels();
    void buildMenu();
    void addMenuLevel(const QString &parent, QWidget *container);
    void runEntry(const MenuTree::Entry &entry);
    void startTest(const char *name);
    void answer(const char *button);
    void showQuestion(int k);
    void finishTest(int count);
    // The write-back of the grades, or the notice that the user's
    // registration was removed meanwhile and they were not saved.
    void writeScores();
    // Every row that a test's grade gates, enabled.
    void unlockAll();
    void fitOuterSize();
    void buildPanelControls();
    void connectButton(QAbstractButton *button, void (TForm1::*handler)());
    void showEntries(std::initializer_list<const char *> names);
    // The settings panel's edits take the settings read by FormShow.
    void fillSettingsPanel();

    std::unique_ptr<PageDisplay> m_display;
    QHash<QString, QAction *> m_entries; // by lower-case name
    QHash<QString, QMenu *> m_groups;    // by lower-case name
    QHash<QString, void (TForm1::*)()> m_handlers;
    bool m_shownOnce = false;
};
