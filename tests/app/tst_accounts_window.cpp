// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "AdminSettings.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "PickedUserButtons.h"
#include "ProgressPanel.h"
#include "RemovedUsers.h"
#include "SettingsPanel.h"
#include "Store.h"
#include "StoredUser.h"
#include "TForm1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray UsersIni = "\\users.ini";
const QString WrongCredentials = u"Проверьте правильность имени и пароля!"_s;
const QString Registered = u"Пользователь зарегистрирован.Нажмите \"Далее>>\""_s;
const QString LeaveQuestion = u"Вы действительно хотите выйти из программы?"_s;

// The ten topic/test pairs of the contents menu; a pair k + 1 opens when
// test k is passed.
const char *const TopicOf[10] = {"n1",  "N2",   "N3",   "N33", "N34",
                                 "N39", "N312", "N313", "N81", "N4"};

QByteArray cp(const QString &text)
{
    return CodePage::fromUnicode(text);
}

// The file's bytes; a null array when there is no such file.
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray data = file.readAll();
    if (data.isNull())
        data = QByteArray("");
    return data;
}

QStringList visibleEntries(const TForm1 &form, const QStringList &names)
{
    QStringList shown;
    for (const QString &name : names) {
        if (form.menuEntry(name)->isVisible())
            shown.append(name);
    }
    return shown;
}

const QStringList RoleEntries = {
    u"N0"_s, u"nlab"_s,  u"Nprak"_s, u"Nrk"_s,  u"Nadm"_s,
    u"Ni"_s, u"notch"_s, u"Ntun"_s,  u"nred"_s, u"NaFormuAvtorizazii"_s};
const QStringList BeforeLogin = {u"NaFormuAvtorizazii"_s};
const QStringList StudentSees = {u"N0"_s, u"nlab"_s, u"Nprak"_s, u"Nrk"_s, u"Nadm"_s, u"Ni"_s};
const QStringList AdministratorSees = {u"N0"_s, u"nlab"_s,  u"Nprak"_s, u"Nrk"_s, u"Nadm"_s,
                                       u"Ni"_s, u"notch"_s, u"Ntun"_s,  u"nred"_s};

// The enabled flags of the ten topic/test pairs, one letter a pair: "e" when
// both entries are enabled, "d" when both are disabled, "?" otherwise.
QString pairStates(const TForm1 &form)
{
    QString states;
    for (int k = 1; k <= 10; ++k) {
        const bool topic =
            MainWindowFixture::enabledFlag(form.menuEntry(QString::fromLatin1(TopicOf[k - 1])));
        const bool test = MainWindowFixture::enabledFlag(form.menuEntry(u"test%1"_s.arg(k)));
        states += topic == test ? (topic ? u'e' : u'd') : u'?';
    }
    return states;
}

QStringList valueTexts(const TForm1 &form)
{
    QStringList texts;
    for (QLabel *label : form.progressPanel().valueLabels)
        texts.append(label->text());
    return texts;
}

QStringList comboItems(const TForm1 &form)
{
    QStringList items;
    for (int i = 0; i < form.progressPanel().ComboBox1->count(); ++i)
        items.append(form.progressPanel().ComboBox1->itemText(i));
    return items;
}

// Picks a name from the open list of the user combo box, the way the
// administrator does it: the list drops down and the entry is chosen.
void pickUser(TForm1 &form, const QString &name)
{
    QComboBox *combo = form.progressPanel().ComboBox1;
    const int index = combo->findText(name, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(name));
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    view->setCurrentIndex(combo->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentText(), name);
}

} // namespace

class tst_accounts_window : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Registering, then logging in.
    void registrationThenLogin();
    void refusedLogin_data();
    void refusedLogin();
    void nonNumericGradeStopsLogin();
    void removedWhileLoggedInStaysRemoved();

    // The administrator.
    void administratorLogin();

    // Removal.
    void removal();
    void removalWithWrongPassword();
    void administratorResetsAndRenamesThePickedUser();
    void administratorRestoresTheRemovalPicked_data();
    void administratorRestoresTheRemovalPicked();

    // The settings panel.
    void settingsSaved();
    void settingsUnconfirmedPassword();
    void settingsThatWouldLockOut_data();
    void settingsThatWouldLockOut();
    void settingsSaveRefused();

    // The progress view.
    void studentProgress();
    void administratorPickShowsTheGrades();
    void administratorPickNonNumeric();
    void administratorTypingIsNoPick();

    // Where the window does better than the plain steps would.
    void missingSettingsFileLeavesNoAdministrator();
    void registrationRefused();
    void failingWriteBackShownAndWindowCloses();

private:
    QByteArray usersIni() const { return bytesOf(path(u"users.ini"_s)); }
    QByteArray usersList() const { return bytesOf(path(u"users"_s)); }
    QByteArray settingsFile() const { return bytesOf(path(u"data/info/tumb.db"_s)); }
    static void closeWindow(TForm1 &form, ModalAnswerer &answerer);
};

void tst_accounts_window::init()
{
    setUp();
}

void tst_accounts_window::cleanup()
{
    tearDown();
}

void tst_accounts_window::closeWindow(TForm1 &form, ModalAnswerer &answerer)
{
    QSignalSpy closed(&form, &TForm1::closed);
    const qsizetype before = answerer.texts.size();
    answerer.setAnswer(QMessageBox::Ok);
    form.close();
    QVERIFY(answerer.texts.size() > before);
    QCOMPARE(answerer.texts.at(before), LeaveQuestion);
    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
}

void tst_accounts_window::registrationThenLogin()
{
    StoredUser::write("boris", "b");
    QVERIFY(work().write(u"users"_s, "boris\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    type(form.loginPanel().Edit2, u"Анна"_s);
    type(form.loginPanel().MaskEdit1, u"пароль 1"_s);
    saveShot(&form, u"accounts_login_panel"_s);
    QCOMPARE(form.loginPanel().MaskEdit1->echoMode(), QLineEdit::Password);
    click(form.loginPanel().SpeedButton1);

    QCOMPARE(answerer.texts, QStringList({Registered}));
    QCOMPARE(answerer.icons, QList<QMessageBox::Icon>({QMessageBox::Information}));
    QCOMPARE(answerer.buttons.first(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QCOMPARE(visibleEntries(form, RoleEntries), BeforeLogin);

    const QByteArray name = cp(u"Анна"_s);
    QCOMPARE(Store::read(name, "password", UsersIni), cp(u"пароль 1"_s));
    QCOMPARE(comboItems(form), QStringList({u"boris"_s, u"Анна"_s}));

    // The fields keep their texts, so "Далее>>" logs the new user in.
    click(form.loginPanel().SpeedButton3);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(form.session().writesBack());
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    for (QFrame *panel : {form.panel(PanelSwitch::Panel2), form.panel(PanelSwitch::Panel3),
                          form.panel(PanelSwitch::Panel4), form.panel(PanelSwitch::Panel6)})
        QVERIFY2(panel->isHidden(), qPrintable(panel->objectName()));
    QCOMPARE(visibleEntries(form, RoleEntries), StudentSees);
    QVERIFY(form.progressPanel().ComboBox1->isHidden());
    QCOMPARE(pairStates(form), u"eddddddddd"_s);
}

void tst_accounts_window::refusedLogin_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("wrong password")
        << u"Анна"_s << u"Парол"_s << QStringList({WrongCredentials, WrongCredentials});
    // The administrator's name with another password is no student's login: no box.
    QTest::newRow("administrator, other password") << u"admin"_s << u"Secret"_s << QStringList();
}

void tst_accounts_window::refusedLogin()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QStringList, boxes);
    StoredUser::write(cp(u"Анна"_s), cp(u"Пароль"_s), {"5", "5", "5"});
    QVERIFY(work().write(u"users"_s, cp(u"Анна\r\n"_s)));
    const QByteArray ini = usersIni();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, name, password);
    logIn(form, name, password);
    QTest::qWait(100);
    QCOMPARE(answerer.texts, boxes);
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        QCOMPARE(answerer.icons.at(i), QMessageBox::Critical);
        QCOMPARE(answerer.buttons.at(i), QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QCOMPARE(visibleEntries(form, RoleEntries), BeforeLogin);
    QVERIFY(form.progressPanel().ComboBox1->isHidden());
    QCOMPARE(pairStates(form), u"eeeeeeeeee"_s);

    closeWindow(form, answerer);
    QCOMPARE(usersIni(), ini);
}

void tst_accounts_window::nonNumericGradeStopsLogin()
{
    StoredUser::write("anna", "pw", {"5", "5", "2", "x", "0"});
    const QByteArray ini = usersIni();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"anna"_s, u"pw"_s);
    QCOMPARE(answerer.texts, QStringList({u"'x' is not a valid integer value"_s}));
    QCOMPARE(answerer.icons.first(), QMessageBox::Critical);
    // Nothing is gated before every grade is read: the next login of this run
    // finds every row as it should.
    QCOMPARE(pairStates(form), u"eeeeeeeeee"_s);
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QVERIFY(form.panel(PanelSwitch::Panel1)->isHidden());
    QCOMPARE(visibleEntries(form, RoleEntries), BeforeLogin);

    logIn(form, u"admin"_s, u"secret"_s);
    QCOMPARE(pairStates(form), u"eeeeeeeeee"_s);
    closeWindow(form, answerer);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(usersIni(), ini);
}

void tst_accounts_window::removedWhileLoggedInStaysRemoved()
{
    StoredUser::write("anna", "a", {"4"});
    StoredUser::write("boris", "b");
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"anna"_s, u"a"_s);
    QVERIFY(form.session().writesBack());
    // Another copy, or the tool, removes her meanwhile.
    Accounts::removeUser("anna");
    const QByteArray ini = usersIni();

    closeWindow(form, answerer);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(answerer.texts.at(1),
             u"Оценки не сохранены: регистрация пользователя anna удалена."_s);
    QCOMPARE(answerer.icons.at(1), QMessageBox::Information);
    QCOMPARE(usersIni(), ini);
    QVERIFY(!Accounts::storedPassword("anna").has_value());
}

void tst_accounts_window::administratorLogin()
{
    StoredUser::write("anna", "pw", {"5", "5"});
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    const QByteArray ini = usersIni();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    QVERIFY(answerer.texts.isEmpty());
    QCOMPARE(form.session().userName(), QByteArray("admin"));
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    for (QFrame *panel : {form.panel(PanelSwitch::Panel2), form.panel(PanelSwitch::Panel3),
                          form.panel(PanelSwitch::Panel4), form.panel(PanelSwitch::Panel6)})
        QVERIFY2(panel->isHidden(), qPrintable(panel->objectName()));
    QCOMPARE(visibleEntries(form, RoleEntries), AdministratorSees);
    QVERIFY(form.menuEntry(u"N30"_s)->isVisible());
    QVERIFY(!form.progressPanel().ComboBox1->isHidden());
    QCOMPARE(pairStates(form), u"eeeeeeeeee"_s);

    closeWindow(form, answerer);
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(usersIni(), ini);
}

void tst_accounts_window::removal()
{
    const QByteArray list = "anna\r\nboris\r\nvera\r\n";
    const QString name = u"BoRiS"_s;
    const QByteArray section = "boris";
    StoredUser::write("anna", "a", {"4"});
    StoredUser::write(section, "pw", {"5", "5"});
    StoredUser::write("vera", "v", {"3"});
    QVERIFY(work().write(u"users"_s, list));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::No);
    QVERIFY(show(form));
    type(form.loginPanel().Edit2, name);
    type(form.loginPanel().MaskEdit1, u"pw"_s);
    // A removal asks first, naming the grades that go with it; "No" keeps all.
    const QByteArray ini = usersIni();
    click(form.loginPanel().SpeedButton2);
    const QString question = u"Удалить пользователя %1 и все его оценки?\nОценок: 2."_s.arg(name);
    QCOMPARE(answerer.texts, QStringList{question});
    QCOMPARE(answerer.buttons.last(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(usersIni(), ini);
    QCOMPARE(usersList(), list);

    answerer.setAnswer(QMessageBox::Yes);
    click(form.loginPanel().SpeedButton2);
    QCOMPARE(answerer.texts.size(), 3);
    QCOMPARE(answerer.icons.last(), QMessageBox::Information);
    QVERIFY2(answerer.texts.last().startsWith(u"Пользователь %1 удален."_s.arg(name)),
             qPrintable(answerer.texts.last()));
    answerer.texts.clear();
    QVERIFY(!usersIni().contains("[" + section + "]"));
    QCOMPARE(usersList(), QByteArray("anna\r\nvera\r\n"));
    QCOMPARE(comboItems(form), QStringList({u"anna"_s, u"vera"_s}));
    QCOMPARE(form.loginPanel().Edit2->text(), name);
    QCOMPARE(form.loginPanel().MaskEdit1->text(), u"pw"_s);
    QVERIFY(form.session().userName().isEmpty());
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QCOMPARE(visibleEntries(form, RoleEntries), BeforeLogin);

    // The removed user can no longer log in.
    click(form.loginPanel().SpeedButton3);
    QCOMPARE(answerer.texts, QStringList({WrongCredentials}));
}

void tst_accounts_window::administratorResetsAndRenamesThePickedUser()
{
    StoredUser::write("anna", "a", {"4", "5"});
    StoredUser::write("boris", "b", {"3"});
    QVERIFY(work().write(u"users"_s, "anna\r\nboris\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    auto *buttons = form.findChild<PickedUserButtons *>();
    QVERIFY(buttons);
    QVERIFY(!form.findChild<QPushButton *>(u"passwordButton"_s)->isVisible());
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    QVERIFY(form.findChild<QPushButton *>(u"passwordButton"_s)->isVisible());
    QVERIFY(form.findChild<QPushButton *>(u"renameButton"_s)->isVisible());
    // The teacher's changes to the picked user's grades are shown with them.
    QVERIFY(work().write(u"log-changes.txt"_s, "2026-12-02 08:00:00 | grade | test2 | - | - | 4 "
                                               "| 5 | - | oral | anna\r\n"));
    pickUser(form, u"anna"_s);
    QVERIFY(form.progressPanel().changesLabel->text().endsWith(
        u"тест 2: 4 → 5, выставлено вручную: oral, 2026-12-02 08:00:00"_s));
    const QByteArray grades = usersIni().mid(usersIni().indexOf("test1="), 40);

    QStringList typed{u"new-pw"_s, u"new-pw"_s, u"Анна"_s};
    buttons->ask = [&](const QString &, const QString &, bool) { return typed.takeFirst(); };
    QTest::mouseClick(form.findChild<QPushButton *>(u"passwordButton"_s), Qt::LeftButton);
    QCOMPARE(Store::read("anna", "password", UsersIni), QByteArray("new-pw"));
    QTest::mouseClick(form.findChild<QPushButton *>(u"renameButton"_s), Qt::LeftButton);
    QVERIFY(typed.isEmpty());
    const QByteArray anna = CodePage::fromUnicode(u"Анна"_s);
    QCOMPARE(Store::read(anna, "password", UsersIni), QByteArray("new-pw"));
    QCOMPARE(Store::read(anna, "test2", UsersIni), QByteArray("5"));
    QCOMPARE(usersIni().mid(usersIni().indexOf("test1="), 40), grades);
    QCOMPARE(usersList(), anna + "\r\nboris\r\n");
    QCOMPARE(comboItems(form), QStringList({u"Анна"_s, u"boris"_s}));
    // The box and the label follow the rename; the list's names are whole in
    // their tool tips and to a screen reader.
    QComboBox *combo = form.progressPanel().ComboBox1;
    QCOMPARE(combo->currentText(), u"Анна"_s);
    QCOMPARE(form.progressPanel().Label5->text(), u"Анна"_s);
    QCOMPARE(combo->itemData(0, Qt::ToolTipRole).toString(), u"Анна"_s);
    QCOMPARE(combo->itemData(0, Qt::AccessibleTextRole).toString(), u"Анна"_s);
    QCOMPARE(combo->view()->textElideMode(), Qt::ElideRight);
    QCOMPARE(answerer.icons,
             (QList<QMessageBox::Icon>{QMessageBox::Information, QMessageBox::Information}));
    answerer.icons.clear();

    // A grade set by hand: the test and the grade picked, the reason typed;
    // the record of changes holds it and the view shows it at once.
    QList<int> picks{0, 3}; // the first test, grade 2
    buttons->choose = [&](const QString &, const QStringList &) { return picks.takeFirst(); };
    buttons->ask = [](const QString &, const QString &, bool) { return u"списано"_s; };
    QTest::mouseClick(form.findChild<QPushButton *>(u"gradeButton"_s), Qt::LeftButton);
    QVERIFY(picks.isEmpty());
    QCOMPARE(Store::read(anna, "test1", UsersIni), QByteArray("2"));
    QVERIFY(
        bytesOf(path(u"log-changes.txt"_s))
            .endsWith("| grade | test1 | - | - | 4 | 2 | - | " + cp(u"списано | Анна"_s) + "\r\n"));
    QCOMPARE(valueTexts(form).first(), u"2"_s);
    QVERIFY(form.progressPanel().changesLabel->text().contains(
        u"тест 1: 4 → 2, выставлено вручную: списано"_s));

    // A name taken by another user is refused and changes nothing.
    pickUser(form, u"boris"_s);
    const QByteArray ini = usersIni();
    buttons->ask = [](const QString &, const QString &, bool) { return u"анна"_s; };
    QTest::mouseClick(form.findChild<QPushButton *>(u"renameButton"_s), Qt::LeftButton);
    QCOMPARE(answerer.icons.last(), QMessageBox::Warning);
    QCOMPARE(usersIni(), ini);
}

void tst_accounts_window::administratorRestoresTheRemovalPicked_data()
{
    QTest::addColumn<int>("answer");              // over the account registered again
    QTest::addColumn<QList<QByteArray>>("after"); // password, test1, test2
    QTest::newRow("cancelled") << int(QMessageBox::Cancel) << QList<QByteArray>{"new", "4", "0"};
    QTest::newRow("replaced") << int(QMessageBox::Yes) << QList<QByteArray>{"old", "2", "3"};
    QTest::newRow("the better grades")
        << int(QMessageBox::No) << QList<QByteArray>{"new", "4", "3"};
}

// Removed, registered again, removed, registered again: the earlier removal
// is picked by its date, and over the new account the administrator says
// what to do.
void tst_accounts_window::administratorRestoresTheRemovalPicked()
{
    QFETCH(int, answer);
    QFETCH(QList<QByteArray>, after);
    StoredUser::write("anna", "old", {"2", "3"});
    RemovedUsers::keep("anna", QDateTime({2026, 1, 10}, {9, 0}));
    QVERIFY(work().write(u"users.ini"_s, ""));
    StoredUser::write("anna", "mid", {"1"});
    RemovedUsers::keep("anna", QDateTime({2026, 2, 1}, {9, 0}));
    QVERIFY(work().write(u"users.ini"_s, ""));
    StoredUser::write("anna", "new", {"4", "0"});
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
    QVERIFY(show(form));
    auto *buttons = form.findChild<PickedUserButtons *>();
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    QVERIFY(form.findChild<QPushButton *>(u"restoreButton"_s)->isVisible());
    buttons->ask = [](const QString &, const QString &, bool) { return u"ANNA"_s; };
    QStringList offered;
    buttons->choose = [&](const QString &, const QStringList &items) {
        offered = items;
        return 0;
    };
    QTest::mouseClick(form.findChild<QPushButton *>(u"restoreButton"_s), Qt::LeftButton);
    QCOMPARE(offered, QStringList({u"удалён 2026-01-10 09:00:00, оценки 2 3 - - - - - - - -"_s,
                                   u"удалён 2026-02-01 09:00:00, оценки 1 - - - - - - - - -"_s}));
    QVERIFY2(answerer.texts.value(0).contains(u"зарегистрирован снова"_s),
             qPrintable(answerer.texts.join(u'\n')));
    QCOMPARE((QList<QByteArray>{Store::read("anna", "password", UsersIni),
                                Store::read("anna", "test1", UsersIni),
                                Store::read("anna", "test2", UsersIni)}),
             after);
    QCOMPARE(answerer.icons.size(), answer == QMessageBox::Cancel ? 1 : 2);
    QCOMPARE(comboItems(form), QStringList{u"anna"_s});
}

void tst_accounts_window::removalWithWrongPassword()
{
    StoredUser::write("anna", "pw");
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    const QByteArray ini = usersIni();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    type(form.loginPanel().Edit2, u"anna"_s);
    type(form.loginPanel().MaskEdit1, u"PW"_s);
    click(form.loginPanel().SpeedButton2);
    QCOMPARE(answerer.texts, QStringList({WrongCredentials}));
    QCOMPARE(answerer.icons.last(), QMessageBox::Critical);
    QCOMPARE(usersIni(), ini);
    QCOMPARE(usersList(), QByteArray("anna\r\n"));
    QCOMPARE(comboItems(form), QStringList({u"anna"_s}));
}

void tst_accounts_window::settingsSaved()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ntun"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel7"_s);
    for (QFrame *panel : {form.panel(PanelSwitch::Panel1), form.panel(PanelSwitch::Panel2),
                          form.panel(PanelSwitch::Panel3), form.panel(PanelSwitch::Panel4),
                          form.panel(PanelSwitch::Panel6)})
        QVERIFY2(panel->isHidden(), qPrintable(panel->objectName()));
    SettingsPanel &s = form.settingsPanel();
    QCOMPARE(s.Edit3->text(), u"admin"_s);
    QCOMPARE(s.Edit4->text(), u"secret"_s);
    QCOMPARE(s.Edit5->text(), u"secret"_s);
    QCOMPARE(s.Edit6->text(), u"log.txt"_s);
    QCOMPARE(s.Edit4->echoMode(), QLineEdit::Password);
    QCOMPARE(s.Edit5->echoMode(), QLineEdit::Password);
    QCOMPARE(s.Edit3->echoMode(), QLineEdit::Normal);
    saveShot(&form, u"accounts_settings_panel"_s);

    type(s.Edit3, u"Начальник"_s);
    type(s.Edit4, u"нов ый"_s);
    type(s.Edit5, u"нов ый"_s);
    type(s.Edit6, u"отчет.txt"_s);
    click(s.SpeedButton7);
    QVERIFY(answerer.texts.isEmpty());
    QCOMPARE(settingsFile(), cp(u"Начальник|нов ый|отчет.txt\r\n"_s));
    QCOMPARE(s.Edit3->text(), u"Начальник"_s);
    QCOMPARE(s.Edit6->text(), u"отчет.txt"_s);
    QCOMPARE(frontPanel(form), u"Panel7"_s);

    // The settings in memory stay as read at start-up for the rest of the run:
    // the old administrator still comes in, the new one is a stranger.
    QCOMPARE(form.session().adminSettings().login, QByteArray("admin"));
    QCOMPARE(form.session().adminSettings().password, QByteArray("secret"));
    QCOMPARE(form.session().adminSettings().logName, QByteArray("log.txt"));
    click(s.SpeedButton6);
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    form.NaFormuAvtorizaziiClick();
    logIn(form, u"Начальник"_s, u"нов ый"_s);
    QCOMPARE(answerer.texts, QStringList({WrongCredentials}));
    logIn(form, u"admin"_s, u"secret"_s);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(form.panel(PanelSwitch::Panel4)->isHidden());

    // The next start reads what was saved.
    TForm1 next(MainWindowFixture::store());
    QVERIFY(show(next));
    QCOMPARE(next.settingsPanel().Edit3->text(), u"Начальник"_s);
    QCOMPARE(next.settingsPanel().Edit5->text(), u"нов ый"_s);
    logIn(next, u"Начальник"_s, u"нов ый"_s);
    QCOMPARE(visibleEntries(next, RoleEntries), AdministratorSees);
    QCOMPARE(answerer.texts.size(), 1);
}

void tst_accounts_window::settingsUnconfirmedPassword()
{
    const QByteArray before = settingsFile();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ntun"_s)->trigger();
    SettingsPanel &s = form.settingsPanel();
    type(s.Edit3, u"boss"_s);
    for (const auto &[password, confirmation] :
         {std::pair{u"abc"_s, u"abd"_s}, std::pair{u"abc"_s, u"ABC"_s},
          std::pair{u"abc"_s, QString()}}) {
        type(s.Edit4, password);
        type(s.Edit5, confirmation);
        click(s.SpeedButton7);
        QCOMPARE(answerer.texts.last(), u"Проверьте пароль!"_s);
        QCOMPARE(answerer.icons.last(), QMessageBox::Critical);
        QCOMPARE(settingsFile(), before);
    }
    QCOMPARE(answerer.texts.size(), 3);
    QCOMPARE(frontPanel(form), u"Panel7"_s);
    QCOMPARE(s.Edit3->text(), u"boss"_s);
    QCOMPARE(s.Edit4->text(), u"abc"_s);
}

void tst_accounts_window::settingsThatWouldLockOut_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("logName");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("saved");
    const int no = QMessageBox::No;
    const int yes = QMessageBox::Yes;
    const QString emptyLogin =
        u"Введите имя администратора: без него никто не сможет войти как администратор."_s;
    const QString isUser = u"Пользователь с именем \"BORIS\" зарегистрирован. Если сделать это "
                           u"имя именем администратора, этот пользователь больше не сможет "
                           u"войти. Сохранить настройки?"_s;
    QTest::newRow("empty login") << QString() << u"log.txt"_s << yes << emptyLogin << false;
    QTest::newRow("empty log name")
        << u"boss"_s << QString() << yes << u"Введите имя файла протокола тестирования."_s << false;
    QTest::newRow("a student's name, not confirmed")
        << u"BORIS"_s << u"log.txt"_s << no << isUser << false;
    QTest::newRow("a student's name, confirmed")
        << u"BORIS"_s << u"log.txt"_s << yes << isUser << true;
}

void tst_accounts_window::settingsThatWouldLockOut()
{
    QFETCH(QString, login);
    QFETCH(QString, logName);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(bool, saved);
    StoredUser::write("boris", "b");
    const QByteArray before = settingsFile();
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer{QMessageBox::StandardButton(answer)};
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ntun"_s)->trigger();
    type(form.settingsPanel().Edit3, login);
    type(form.settingsPanel().Edit6, logName);
    click(form.settingsPanel().SpeedButton7);
    QCOMPARE(answerer.texts, QStringList({message}));
    QCOMPARE(settingsFile(), saved ? cp(login + u"|secret|"_s + logName + u"\r\n"_s) : before);
    QCOMPARE(frontPanel(form), u"Panel7"_s);
}

void tst_accounts_window::settingsSaveRefused()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ntun"_s)->trigger();
    // The folder went away while the program ran.
    QVERIFY(QDir(path(u"data/info"_s)).removeRecursively());
    type(form.settingsPanel().Edit3, u"boss"_s);
    click(form.settingsPanel().SpeedButton7);
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.icons.first(), QMessageBox::Critical);
    QVERIFY(!answerer.texts.first().isEmpty());
    QVERIFY(!QFile::exists(path(u"data/info/tumb.db"_s)));
    QCOMPARE(frontPanel(form), u"Panel7"_s);
}

void tst_accounts_window::studentProgress()
{
    const QByteArray name = cp(u"Пётр"_s);
    StoredUser::write(name, "pw", {"5", "4", "3", "2", "1", "0", "5", "4", "3", "2", "5", "5"});
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"Пётр"_s, u"pw"_s);
    // Passing tests 1-3 and 7-9 keeps the pairs after them open.
    QCOMPARE(pairStates(form), u"eeeedddeee"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    for (QFrame *panel : {form.panel(PanelSwitch::Panel1), form.panel(PanelSwitch::Panel3),
                          form.panel(PanelSwitch::Panel4), form.panel(PanelSwitch::Panel6)})
        QVERIFY2(panel->isHidden(), qPrintable(panel->objectName()));
    ProgressPanel &p = form.progressPanel();
    QCOMPARE(p.Label5->text(), u"Пётр"_s);
    QVERIFY(p.Label5->isVisible());
    QVERIFY(p.ComboBox1->isHidden());
    QCOMPARE(valueTexts(form), QStringList({u"5"_s, u"4"_s, u"3"_s, u"2"_s, u"1"_s, u"0"_s, u"5"_s,
                                            u"4"_s, u"3"_s, u"2"_s, u"0"_s, u"0"_s}));
    for (int k = 0; k < 10; ++k)
        QVERIFY(p.valueLabels[k]->isVisible());
    QVERIFY(p.valueLabels[10]->isHidden() && p.valueLabels[11]->isHidden());
    saveShot(&form, u"accounts_progress_student"_s);

    // The view follows the table in memory, not the file.
    Store::write(name, "test1", "1", UsersIni);
    form.menuEntry(u"Ni"_s)->trigger();
    QCOMPARE(p.valueLabels[0]->text(), u"5"_s);

    click(p.SpeedButton4);
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(form.panel(PanelSwitch::Panel2)->isHidden());
    QVERIFY(form.menuEntry(u"Ni"_s)->isVisible());
    QVERIFY(form.menuEntry(u"N0"_s)->isVisible());
    QVERIFY(answerer.texts.isEmpty());
}

void tst_accounts_window::administratorPickShowsTheGrades()
{
    StoredUser::write("anna", "a", {"5", "4", "3", "2", "1", "0", "0", "0", "0", "0", "4", "3"});
    StoredUser::write(cp(u"Борис"_s), "b", {"2", "2"});
    QVERIFY(work().write(u"users"_s, cp(u"anna\r\nБорис\r\n"_s)));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    ProgressPanel &p = form.progressPanel();
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    QVERIFY(p.ComboBox1->isVisible());
    QCOMPARE(p.Label5->text(), u"admin"_s);
    QCOMPARE(valueTexts(form), QStringList(12, u"0"_s));
    // The combo box lies over the name label.
    QVERIFY(p.ComboBox1->geometry().intersects(p.Label5->geometry()));
    QVERIFY(p.Label5->parentWidget()->children().indexOf(p.ComboBox1) >
            p.Label5->parentWidget()->children().indexOf(p.Label5));
    QCOMPARE(comboItems(form), QStringList({u"anna"_s, u"Борис"_s}));

    pickUser(form, u"anna"_s);
    saveShot(&form, u"accounts_progress_administrator"_s);
    QCOMPARE(valueTexts(form), QStringList({u"5"_s, u"4"_s, u"3"_s, u"2"_s, u"1"_s, u"0"_s, u"0"_s,
                                            u"0"_s, u"0"_s, u"0"_s, u"4"_s, u"3"_s}));
    pickUser(form, u"Борис"_s);
    QCOMPARE(valueTexts(form).first(), u"2"_s);
    QCOMPARE(p.Label5->text(), u"admin"_s);
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    QCOMPARE(visibleEntries(form, RoleEntries), AdministratorSees);
    QVERIFY(answerer.texts.isEmpty());
}

void tst_accounts_window::administratorTypingIsNoPick()
{
    StoredUser::write("anna", "a", {"5", "4", "3"});
    QVERIFY(work().write(u"users"_s, "anna\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    QComboBox *combo = form.progressPanel().ComboBox1;
    combo->setFocus();
    QTest::keyClicks(combo, u"an"_s);
    QTest::keyClick(combo, Qt::Key_Return);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Enter);
    QCOMPARE(valueTexts(form), QStringList(12, u"0"_s));
    QCOMPARE(form.session().scores(), (std::array<quint8, 12>{}));
    QVERIFY(answerer.texts.isEmpty());
    pickUser(form, u"anna"_s);
    QCOMPARE(valueTexts(form).first(), u"5"_s);
}

void tst_accounts_window::administratorPickNonNumeric()
{
    StoredUser::write("anna", "a", {"5", "4", "3", "2", "1"});
    StoredUser::write("boris", "b", {"2", "3", "4", "x", "5"});
    QVERIFY(work().write(u"users"_s, "anna\r\nboris\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"admin"_s, u"secret"_s);
    form.menuEntry(u"Ni"_s)->trigger();
    pickUser(form, u"anna"_s);
    const QStringList shown = valueTexts(form);
    pickUser(form, u"boris"_s);
    QCOMPARE(answerer.texts, QStringList({u"'x' is not a valid integer value"_s}));
    QCOMPARE(answerer.icons.first(), QMessageBox::Critical);
    // The labels keep showing the earlier pick.
    QCOMPARE(valueTexts(form), shown);
    QCOMPARE(frontPanel(form), u"Panel2"_s);
}

void tst_accounts_window::missingSettingsFileLeavesNoAdministrator()
{
    QVERIFY(QFile::remove(path(u"data/info/tumb.db"_s)));
    StoredUser::write("boris", "b");
    QVERIFY(work().write(u"users"_s, "boris\r\n"));
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    QTRY_COMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.texts.first(), u"File not found"_s);
    QCOMPARE(answerer.icons.first(), QMessageBox::Critical);
    QVERIFY(form.session().adminSettings().login.isEmpty());
    // The list read before the settings is shown all the same.
    QCOMPARE(comboItems(form), QStringList({u"boris"_s}));
    QCOMPARE(frontPanel(form), u"Panel4"_s);
    QCOMPARE(form.settingsPanel().Edit3->text(), u"Edit3"_s);
    QCOMPARE(form.settingsPanel().Edit4->text(), u"Edit4"_s);
    QCOMPARE(form.settingsPanel().Edit5->text(), u"Edit5"_s);
    QCOMPARE(form.settingsPanel().Edit6->text(), u"Edit6"_s);

    // Students still register and log in.
    registerUser(form, u"anna"_s, u"pw"_s);
    QCOMPARE(answerer.texts.last(), Registered);
    click(form.loginPanel().SpeedButton3);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(visibleEntries(form, RoleEntries), StudentSees);
}

// Every refusal takes this road; the refusals and their texts are the
// session's and the accounts' rules.
void tst_accounts_window::registrationRefused()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerUser(form, u"an]na"_s, u"pw"_s);
    QCOMPARE(answerer.texts,
             QStringList({u"Имя пользователя не может содержать квадратные скобки и "
                          u"управляющие знаки и начинаться или заканчиваться пробелом."_s}));
    QCOMPARE(answerer.icons.first(), QMessageBox::Warning);
    QVERIFY(!QFile::exists(path(u"users.ini"_s)));
    QVERIFY(!QFile::exists(path(u"users"_s)));
    QCOMPARE(form.progressPanel().ComboBox1->count(), 0);
    QCOMPARE(frontPanel(form), u"Panel4"_s);
}

void tst_accounts_window::failingWriteBackShownAndWindowCloses()
{
    StoredUser::write("anna", "a", {"4"});
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    logIn(form, u"anna"_s, u"a"_s);
    QVERIFY(form.session().writesBack());
    // Something took the file's place while the program ran.
    QVERIFY(QFile::remove(path(u"users.ini"_s)));
    QVERIFY(QDir().mkdir(path(u"users.ini"_s)));

    closeWindow(form, answerer);
    QCOMPARE(answerer.texts.size(), 2);
    QVERIFY2(answerer.texts.at(1).startsWith(u"Unable to write to "_s),
             qPrintable(answerer.texts.at(1)));
    QVERIFY(answerer.texts.at(1).contains(u"users.ini"_s));
    QCOMPARE(answerer.icons.at(1), QMessageBox::Critical);
    QCOMPARE(answerer.titles.at(1), CourseInfo::Title);
    QVERIFY(QFileInfo(path(u"users.ini"_s)).isDir());
}

QTEST_MAIN(tst_accounts_window)
#include "tst_accounts_window.moc"
