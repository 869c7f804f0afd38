// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "PageRule.h"
#include "Store.h"
#include "TForm1.h"
#include "TForm3.h"
#include "TForm5.h"
#include "TOKRightDlg.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList shownTopLevel(const TForm1 &form)
{
    QStringList names;
    for (QAction *action : form.mainMenu()->actions()) {
        if (action->isVisible())
            names.append(action->objectName());
    }
    return names;
}

} // namespace

class tst_TForm1 : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowLayout();
    void menuBeforeLogin();
    void menuPicturesAndKeys();
    void showStepRunsOnce();
    void showStepWithUnreadableUserList();
    void settingsPanelStaysInFront();
    void backBeforeLoginChangesNothing();
    void loginPanelComesBack();
    void testStartHidesContents();
    void pageItemsOpenPages();
    void leavingCancelled();
    void leavingConfirmed();
    void titlePageClosesByTimer();
    void titlePageClosesAtOnce();
    void titlePageBeforeMainWindow();
    void aboutAndAuthorWindows();
    void focusOnTheFrontPanel_data();
    void focusOnTheFrontPanel();
    void keyboardMenuAndSmallScreen();
};

void tst_TForm1::init()
{
    setUp();
}

void tst_TForm1::cleanup()
{
    tearDown();
}

void tst_TForm1::windowLayout()
{
    TForm1 form(MainWindowFixture::store());
    QCOMPARE(form.objectName(), u"Form1"_s);
    QVERIFY(!form.windowTitle().isEmpty());
    QCOMPARE(form.font().pixelSize(), 11);
    const struct
    {
        QFrame *panel;
        QRect geometry;
    } expected[] = {
        {form.panel(PanelSwitch::Panel1), QRect(0, 0, 921, 737)},
        {form.panel(PanelSwitch::Panel2), QRect(0, -8, 921, 745)},
        {form.panel(PanelSwitch::Panel3), QRect(0, 0, 921, 737)},
        {form.panel(PanelSwitch::Panel4), QRect(-8, 0, 921, 737)},
        {form.panel(PanelSwitch::Panel6), QRect(1, 1, 920, 736)},
        {form.panel(PanelSwitch::Panel7), QRect(1, 1, 920, 736)},
    };
    for (const auto &e : expected)
        QCOMPARE(e.panel->geometry(), e.geometry);
    QCOMPARE(form.panel(PanelSwitch::Panel3)->palette().color(QPalette::Window),
             QColor(0xA6, 0xCA, 0xF0));
    // Teal a shade lighter, so that its black and white texts read at 4.5:1.
    QCOMPARE(form.panel(PanelSwitch::Panel2)->palette().color(QPalette::Window),
             QColor(0x00, 0x83, 0x83));

    // Created state: Panel1 … Panel4 visible, Panel4 in front.
    QVERIFY(!form.panel(PanelSwitch::Panel1)->isHidden() &&
            !form.panel(PanelSwitch::Panel4)->isHidden());
    QVERIFY(form.panel(PanelSwitch::Panel6)->isHidden() &&
            form.panel(PanelSwitch::Panel7)->isHidden());
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    form.panel(PanelSwitch::Panel4)->hide();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    form.panel(PanelSwitch::Panel1)->hide();
    QCOMPARE(frontPanel(form), u"Panel3"_s);
    form.panel(PanelSwitch::Panel3)->hide();
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    form.panel(PanelSwitch::Panel6)->show();
    QCOMPARE(frontPanel(form), u"Panel6"_s);
    form.panel(PanelSwitch::Panel7)->show();
    QCOMPARE(frontPanel(form), u"Panel7"_s);

    QCOMPARE(form.webBrowser()->objectName(), u"WebBrowser1"_s);
    QCOMPARE(form.webBrowser()->parentWidget(), form.panel(PanelSwitch::Panel1));
    QCOMPARE(form.webBrowser()->geometry(), QRect(2, 2, 917, 733));
    QCOMPARE(form.webBrowser()->url(), PageRule::pageUrl(path(u"data/help/sod.htm"_s)));
    QVERIFY(form.button2()->isHidden());
    QVERIFY(form.edit1()->isHidden());
}

void tst_TForm1::menuBeforeLogin()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    const QStringList all = {u"N0"_s,
                             u"nlab"_s,
                             u"Nprak"_s,
                             u"N35"_s,
                             u"Nrk"_s,
                             u"N8"_s,
                             u"N29"_s,
                             u"N32"_s,
                             u"N18"_s,
                             u"Nadm"_s,
                             u"NaFormuAvtorizazii"_s,
                             u"N21"_s,
                             u"Ne"_s};
    QStringList order;
    for (QAction *action : form.mainMenu()->actions())
        order.append(action->objectName());
    QCOMPARE(order, all);
    QCOMPARE(shownTopLevel(form),
             QStringList({u"N35"_s, u"N8"_s, u"NaFormuAvtorizazii"_s, u"N21"_s, u"Ne"_s}));
    for (const char *name : {"Ni", "notch", "Ntun", "nred", "N39", "N23", "N6"})
        QVERIFY2(!form.menuEntry(QString::fromLatin1(name))->isVisible(), name);
    QVERIFY(form.menuEntry(u"N30"_s)->isVisible());
    QCOMPARE(form.menuGroup(u"notch"_s)->parentWidget(), form.menuGroup(u"Nadm"_s));
    // Lookup by name ignores letter case.
    QCOMPARE(form.menuEntry(u"n2"_s), form.menuEntry(u"N2"_s));
    QCOMPARE(form.menuEntry(u"TEST10"_s)->objectName(), u"test10"_s);
    QVERIFY(answerer.texts.isEmpty());
}

void tst_TForm1::menuPicturesAndKeys()
{
    TForm1 form(MainWindowFixture::store());
    const QList<QAction *> top = form.mainMenu()->actions();
    for (QAction *action : top)
        QVERIFY2(action->icon().isNull(), qPrintable(action->objectName()));
    QVERIFY(form.menuEntry(u"N6"_s)->icon().isNull());
    QVERIFY(form.menuEntry(u"N53"_s)->icon().isNull());
    for (const char *name : {"n1", "test1", "N111", "N5LRk1", "N17", "N110", "notch", "N30"})
        QVERIFY2(!form.menuEntry(QString::fromLatin1(name))->icon().isNull(), name);
    QCOMPARE(form.menuEntry(u"N0"_s)->text(), u"&Содержание"_s);
    QCOMPARE(form.menuEntry(u"nlab"_s)->text(), u"&Лабораторные работы"_s);
    // "Содержание" took С, so "СРОП" gets Р and "Рубежный контроль" its у.
    QCOMPARE(form.menuEntry(u"N35"_s)->text(), u"С&РОП"_s);
    QCOMPARE(form.menuEntry(u"Nrk"_s)->text(), u"Р&убежный контроль"_s);
}

void tst_TForm1::showStepRunsOnce()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    QVERIFY(form.session().userList().isEmpty());
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    QCOMPARE(form.session().adminSettings().password, QByteArray("secret"));
    QCOMPARE(form.session().adminSettings().logName, QByteArray("log.txt"));
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QVERIFY(form.panel(PanelSwitch::Panel1)->isHidden() &&
            form.panel(PanelSwitch::Panel2)->isHidden() &&
            form.panel(PanelSwitch::Panel3)->isHidden());
    QVERIFY(!form.menuEntry(u"N0"_s)->isVisible());
    QVERIFY(answerer.texts.isEmpty());

    // Hiding and showing the window again does not repeat the reads.
    QVERIFY(work().write(u"data/info/tumb.db"_s, "other|x|y\r\n"));
    QVERIFY(work().write(u"users"_s, "anna\r\nboris\r\n"));
    form.panel(PanelSwitch::Panel1)->show();
    form.hide();
    QVERIFY(show(form));
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    QVERIFY(form.session().userList().isEmpty());
    QVERIFY(!form.panel(PanelSwitch::Panel1)->isHidden());
}

void tst_TForm1::showStepWithUnreadableUserList()
{
    // A folder where the list file should be cannot be read: the remaining
    // steps are skipped, so the panels stay as created and nothing is read.
    QVERIFY(QDir().mkdir(path(u"users"_s)));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    QTRY_COMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.icons.first(), QMessageBox::Critical);
    QVERIFY(form.session().adminSettings().login.isEmpty());
    QVERIFY(!form.panel(PanelSwitch::Panel1)->isHidden());
}

void tst_TForm1::settingsPanelStaysInFront()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    form.NtunClick();
    QCOMPARE(frontPanel(form), u"Panel7"_s);
    form.menuEntry(u"N13"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel7"_s);
    QCOMPARE(form.webBrowser()->url(), PageRule::pageUrl(path(u"data/prak/sillabus.htm"_s)));
    form.menuEntry(u"N17"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(form.panel(PanelSwitch::Panel7)->isHidden());

    // The test log chosen meanwhile comes up after "Назад" on the panel.
    form.NtunClick();
    // No test was finished yet: the log file is missing, which the error box
    // reports over the panel.
    QVERIFY(!form.guarded([&form] { form.N30Click(); }));
    QCOMPARE(answerer.texts.last(),
             u"Cannot open file \"%1\". No such file or directory"_s.arg(path(u"log.txt"_s)));
    QCOMPARE(frontPanel(form), u"Panel7"_s);
    form.SpeedButton6Click();
    QCOMPARE(frontPanel(form), u"Panel6"_s);
}

void tst_TForm1::backBeforeLoginChangesNothing()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    form.menuEntry(u"N17"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QVERIFY(form.panel(PanelSwitch::Panel7)->isHidden());
}

void tst_TForm1::loginPanelComesBack()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    form.menuEntry(u"N115"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(form.panel(PanelSwitch::Panel4)->isHidden());
    form.menuEntry(u"NaFormuAvtorizazii"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QVERIFY(!form.panel(PanelSwitch::Panel1)->isHidden());
    form.menuEntry(u"N27"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QCOMPARE(form.webBrowser()->url(), PageRule::pageUrl(path(u"data/help/sod.htm"_s)));
}

void tst_TForm1::testStartHidesContents()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    form.menuEntry(u"N0"_s)->setVisible(true);
    form.menuEntry(u"Ni"_s)->setVisible(true);
    QVERIFY(QDir().mkpath(u"data/tests"_s));
    Store::writeMany({{"1", "q", "?"}, {"inf", "vsego", "1"}}, "\\data\\tests\\test7.ini");
    form.menuEntry(u"test7"_s)->trigger();
    QCOMPARE(form.run().testName(), QByteArray("test7"));
    QCOMPARE(frontPanel(form), u"Panel3"_s);
    QVERIFY(!form.menuEntry(u"N0"_s)->isVisible());
    QVERIFY(!form.menuEntry(u"Ni"_s)->isVisible());
    // "Назад" from the menu during a test shows the course page in front of
    // the test screen; the contents stay hidden.
    form.N17Click();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(!form.panel(PanelSwitch::Panel3)->isHidden());
    QVERIFY(!form.menuEntry(u"N0"_s)->isVisible());
    form.applySwitch(PanelSwitch::Command::ProgressBack);
    QVERIFY(form.menuEntry(u"N0"_s)->isVisible());
    QVERIFY(form.menuEntry(u"Ni"_s)->isVisible());
}

void tst_TForm1::pageItemsOpenPages()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    // The folder on disk is spelt in another case than the page path.
    QVERIFY(work().write(u"data/LABS/7.htm"_s, "<html>7</html>"));
    form.menuEntry(u"N417"_s)->trigger();
    QCOMPARE(form.webBrowser()->url(), PageRule::pageUrl(path(u"data/LABS/7.htm"_s)));
    // A presentation changes no panel and keeps the page.
    form.menuEntry(u"N40"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QCOMPARE(form.webBrowser()->url(), PageRule::pageUrl(path(u"data/LABS/7.htm"_s)));
    QVERIFY(answerer.texts.isEmpty());
}

void tst_TForm1::leavingCancelled()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Cancel);
    QSignalSpy closed(&form, &TForm1::closed);
    QVERIFY(show(form));
    QCOMPARE(Accounts::registerUser("anna", "pw").refusal, Accounts::Refusal::None);
    logIn(form, u"anna"_s, u"pw"_s);
    form.menuEntry(u"N115"_s)->trigger();
    const QUrl page = form.webBrowser()->url();

    form.menuEntry(u"Ne"_s)->trigger();
    QCOMPARE(answerer.texts, QStringList({u"Вы действительно хотите выйти из программы?"_s}));
    QCOMPARE(answerer.icons.first(), QMessageBox::Warning);
    QCOMPARE(answerer.buttons.first(), QMessageBox::Ok | QMessageBox::Cancel);
    QVERIFY(form.isVisible());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(form.session().userName(), QByteArray("anna"));
    QCOMPARE(form.session().scores()[0], quint8(1));
    QVERIFY(form.session().writesBack());
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QCOMPARE(form.webBrowser()->url(), page);

    // The window's own close button asks the same.
    form.close();
    QCOMPARE(answerer.texts.size(), 2);
    QVERIFY(form.isVisible());
}

void tst_TForm1::leavingConfirmed()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QSignalSpy closed(&form, &TForm1::closed);
    QVERIFY(show(form));
    form.NeClick();
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
}

void tst_TForm1::titlePageClosesByTimer()
{
    QElapsedTimer clock;
    clock.start();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    TForm3 title(&form);
    QCOMPARE(title.windowTitle(), u"Титульный лист"_s);
    QCOMPARE(title.size(), QSize(612, 655));
    QVERIFY(title.Timer1->isActive());
    QCOMPARE(title.Timer1->interval(), 3000);
    QVERIFY(!form.isVisible());
    title.exec();
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 2990 && elapsed < 6000, qPrintable(QString::number(elapsed)));
    QVERIFY(!title.isVisible());
    QVERIFY(form.isVisible());
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    QVERIFY(answerer.texts.isEmpty());
}

void tst_TForm1::titlePageClosesAtOnce()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    TForm3 title(&form);
    QElapsedTimer clock;
    QTimer::singleShot(100, &title, [&title, &clock] {
        clock.start();
        title.close();
    });
    title.exec();
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(form.isVisible());
    QVERIFY(!title.Timer1->isActive());
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    // A later tick would find nothing to do: the main window stays shown.
    QTest::qWait(50);
    QVERIFY(form.isVisible());
    QVERIFY(!title.isVisible());
}

void tst_TForm1::titlePageBeforeMainWindow()
{
    // The page is on screen before the main window exists; closed early, it
    // shows the main window as soon as there is one.
    TForm3 title(nullptr);
    title.show();
    QVERIFY(QTest::qWaitForWindowExposed(&title));
    QVERIFY(title.Timer1->isActive());
    title.close();
    QVERIFY(title.isClosed());
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(!form.isVisible());
    title.setMainWindow(&form);
    QVERIFY(form.isVisible());
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    QVERIFY(answerer.texts.isEmpty());
}

void tst_TForm1::aboutAndAuthorWindows()
{
    TForm1 form(MainWindowFixture::store());
    TOKRightDlg about;
    TForm5 author;
    form.setAboutWindow(&about);
    form.setAuthorWindow(&author);
    QVERIFY(show(form));
    int shown = 0;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (QApplication::activeModalWidget() == &about) {
            ++shown;
            QCOMPARE(about.windowTitle(), u"О программе"_s);
            about.OKBtn->click();
        }
    });
    poll.start();
    about.setWindowTitle(u"changed"_s);
    form.menuEntry(u"N26"_s)->trigger();
    form.menuEntry(u"N26"_s)->trigger();
    QCOMPARE(shown, 2);
    QCOMPARE(about.result(), int(QDialog::Accepted));

    form.menuEntry(u"N15"_s)->trigger();
    QVERIFY(author.isVisible());
    QVERIFY(form.isVisible());
    author.close();
    QVERIFY(!author.isVisible());
    form.menuEntry(u"N15"_s)->trigger();
    QVERIFY(author.isVisible());
}

// After each command the focus is on the first control of the panel in
// front, so that the keyboard and a screen reader start there.
void tst_TForm1::focusOnTheFrontPanel_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("focus"); // object name, WebBrowser1 for inside the view
    const QStringList student = {u"student"_s};
    const QStringList admin = {u"admin"_s};
    QTest::newRow("FormShow") << QStringList() << u"Edit2"_s;
    QTest::newRow("N27Click") << QStringList{u"N27"_s} << u"WebBrowser1"_s;
    QTest::newRow("NaFormuAvtorizaziiClick")
        << QStringList{u"N27"_s, u"NaFormuAvtorizazii"_s} << u"Edit2"_s;
    QTest::newRow("SpeedButton3Click") << student << u"WebBrowser1"_s;
    QTest::newRow("NiClick, student") << student + QStringList{u"Ni"_s} << u"SpeedButton4"_s;
    QTest::newRow("SpeedButton4Click")
        << student + QStringList{u"Ni"_s, u"SpeedButton4"_s} << u"WebBrowser1"_s;
    QTest::newRow("Button2Click") << student + QStringList{u"test1"_s} << u"RadioButton1"_s;
    QTest::newRow("RadioButton6DblClick")
        << student + QStringList{u"test1"_s, u"answer"_s} << u"RadioButton1"_s;
    QTest::newRow("NiClick, administrator") << admin + QStringList{u"Ni"_s} << u"ComboBox1"_s;
    QTest::newRow("N30Click") << admin + QStringList{u"N30"_s} << u"Memo2"_s;
    QTest::newRow("NtunClick") << admin + QStringList{u"Ntun"_s} << u"Edit3"_s;
    QTest::newRow("SpeedButton6Click")
        << admin + QStringList{u"Ntun"_s, u"SpeedButton6"_s} << u"WebBrowser1"_s;
}

void tst_TForm1::focusOnTheFrontPanel()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, focus);
    QVERIFY(QDir().mkpath(u"data/tests"_s));
    Store::writeMany({{"1", "q", "?"}, {"2", "q", "?"}, {"inf", "vsego", "2"}},
                     "\\data\\tests\\test1.ini");
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    for (const QString &step : steps) {
        if (step == u"student")
            registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
        else if (step == u"admin")
            loginAsAdministrator(form, u"secret"_s);
        else if (step == u"answer")
            form.RadioButton2DblClick();
        else if (step == u"N30")
            form.guarded([&form] { form.N30Click(); });
        else
            form.menuEntry(step)
                ? form.menuEntry(step)->trigger()
                : (void)QMetaObject::invokeMethod(&form, qPrintable(step + u"Click"_s));
    }
    QWidget *got = form.focusWidget();
    QVERIFY(got);
    if (focus == u"WebBrowser1")
        QVERIFY2(got == form.webBrowser() || form.webBrowser()->isAncestorOf(got),
                 qPrintable(got->objectName()));
    else
        QCOMPARE(got->objectName(), focus);
}

void tst_TForm1::keyboardMenuAndSmallScreen()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // F10 opens the first group shown; locked entries can be reached.
    QTest::keyClick(&form, Qt::Key_F10);
    QCOMPARE(form.mainMenu()->activeAction(), form.menuEntry(u"N35"_s));
    QTest::keyClick(form.mainMenu(), Qt::Key_Escape);
    QVERIFY(form.menuGroup(u"N0"_s)->style()->styleHint(QStyle::SH_Menu_AllowActiveAndDisabled,
                                                        nullptr, form.menuGroup(u"N0"_s)));

    // The window fits the screen; the panels scroll where it is smaller than
    // laid out.
    const QRect screen = form.screen()->availableGeometry();
    QVERIFY(form.frameGeometry().width() <= screen.width());
    QVERIFY(form.frameGeometry().height() <= screen.height());
    auto *area = qobject_cast<QScrollArea *>(form.centralWidget());
    QVERIFY(area);
    QCOMPARE(area->widget()->objectName(), u"ClientArea"_s);
    QVERIFY(area->widget()->minimumWidth() >= 921);
    QVERIFY(area->widget()->minimumHeight() >= 737);
    QCOMPARE(area->horizontalScrollBar()->maximum() > 0, area->viewport()->width() < 921);
}

QTEST_MAIN(tst_TForm1)
#include "tst_TForm1.moc"
