// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerButton.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "LogPanel.h"
#include "LoginPanel.h"
#include "MainWindowFixture.h"
#include "ModalAnswerer.h"
#include "ProgressPanel.h"
#include "Store.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TestConverter.h"
#include "TestPanel.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

using namespace Qt::Literals::StringLiterals;

namespace {

const QByteArray UsersIni = "\\users.ini";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray testFileName(const QByteArray &testName)
{
    return "\\data\\tests\\" + testName + ".ini";
}

// A source of one question line per right letter, each followed by answers
// A … E with the right one marked, and the closing question line the count
// rule asks for.
void makeTest(const QByteArray &testName, const QByteArray &rightLetters)
{
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < rightLetters.size(); ++i) {
        lines.append(CodePage::fromUnicode(
            u"Вопрос %1 теста %2"_s.arg(i + 1).arg(QString::fromLatin1(testName))));
        for (char letter = 'A'; letter <= 'E'; ++letter) {
            QByteArray line = QByteArray(1, letter) + ") " +
                              CodePage::fromUnicode(u"ответ %1"_s.arg(QLatin1Char(letter)));
            if (letter == rightLetters.at(i))
                line += '*';
            lines.append(line);
        }
        lines.append("********");
    }
    lines.append(CodePage::fromUnicode(u"Конец теста"_s));
    QDir().mkpath(u"data/tests"_s);
    TestConverter converter;
    const TestConverter::Result result = converter.convertLines(lines, testFileName(testName));
    QCOMPARE(result.count, int(rightLetters.size()));
}

const QByteArray TenLetters = "CBDCAEBDCA";

bool entryEnabled(const TForm1 &form, const char *name)
{
    return MainWindowFixture::enabledFlag(form.menuEntry(QString::fromLatin1(name)));
}

bool entryVisible(const TForm1 &form, const char *name)
{
    return form.menuEntry(QString::fromLatin1(name))->isVisible();
}

// What a screen reader hears of an entry, reached as it reaches it: through
// the menu the entry is shown in.
QString readAloud(QAction *entry)
{
    for (QObject *shownIn : entry->associatedObjects()) {
        QAccessibleInterface *menu = QAccessible::queryAccessibleInterface(shownIn);
        for (int i = 0; menu && i < menu->childCount(); ++i) {
            QAccessibleInterface *item = menu->child(i);
            if (item && item->object() == entry && item->state().disabled == !entry->isEnabled())
                return item->text(QAccessible::Description);
        }
    }
    return u"(not in a menu)"_s;
}

QMap<QString, bool> enabledStates(const TForm1 &form)
{
    QMap<QString, bool> states;
    for (QAction *action : form.findChildren<QAction *>()) {
        if (!action->objectName().isEmpty())
            states.insert(action->objectName(), MainWindowFixture::enabledFlag(action));
    }
    return states;
}

QByteArray storedValue(const QByteArray &user, const QByteArray &key)
{
    return Store::read(user, key, UsersIni);
}

// A double-click as the mouse makes it: press, release, then the second press
// that the system reports as a double-click, and its release.
void doubleClick(QWidget *button)
{
    QTest::mousePress(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::mouseDClick(button, Qt::LeftButton);
    QTest::mouseRelease(button, Qt::LeftButton);
}

int wrongFor(char letter)
{
    return (letter - 'A' + 1) % TestPanel::AnswerCount + 1;
}

int rightFor(char letter)
{
    return letter - 'A' + 1;
}

// Answers the running test: the first `right` questions correctly, the rest
// wrongly.
void answerAll(TForm1 &form, const QByteArray &letters, int right)
{
    for (qsizetype i = 0; i < letters.size(); ++i) {
        QCOMPARE(form.run().tag(), int(i + 1));
        const char letter = letters.at(i);
        doubleClick(form.testPanel().answerButton(i < right ? rightFor(letter) : wrongFor(letter)));
    }
}

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
        if (it.fileInfo().isDir())
            QVERIFY(QDir().mkpath(target));
        else
            QVERIFY2((!QFile::exists(target) || QFile::remove(target)) && QFile::copy(path, target),
                     qPrintable(path));
    }
}

} // namespace

class tst_testrun_window : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gradeOfRun();
    void singleClickOnlyMovesTheMark();
    void endEnablesEveryPassedRow();
    void logLine();
    void logThatCannotBeAppended();
    void refusedStart();
    void countTurnsInvalidDuringRun();
    void logView();
    void roadOfATest();
    void courseOfItsOwn();
    void brokenCourseFile();
};

void tst_testrun_window::init()
{
    setUp();
}

void tst_testrun_window::cleanup()
{
    tearDown();
}

// Four of ten is the pass limit; the grades and what a failed run unlocks are
// the run's and the session's rules.
void tst_testrun_window::gradeOfRun()
{
    const int right = 4;
    const int grade = 3;
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
    // A fresh record holds grade 1 for test 1: the next topic and test are
    // locked.
    QVERIFY(!entryEnabled(form, "N2") && !entryEnabled(form, "test2"));
    QMap<QString, bool> expected = enabledStates(form);

    form.menuEntry(u"test1"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel3"_s);
    QVERIFY(!entryVisible(form, "N0") && !entryVisible(form, "Ni"));
    QCOMPARE(form.testPanel().Memo1->toPlainText(), u"Вопрос 1 теста test1"_s);
    QCOMPARE(form.testPanel().RadioButton3->text(), u"C) ответ C "_s);
    answerAll(form, TenLetters, right);

    QCOMPARE(form.run().rightCount(), right);
    QCOMPARE(form.session().scores()[0], quint8(grade));
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    QVERIFY(form.panel(PanelSwitch::Panel3)->isHidden());
    QCOMPARE(form.progressPanel().valueLabels[0]->text(), QString::number(grade));
    QCOMPARE(form.progressPanel().Label5->text(), u"anna"_s);
    // Nothing but the next pair opens.
    expected[u"N2"_s] = expected[u"test2"_s] = true;
    QCOMPARE(enabledStates(form), expected);
    // Stored at once, not only at closing.
    QCOMPARE(storedValue("anna", "test1"), QByteArray::number(grade));
    for (int k = 2; k <= 12; ++k)
        QCOMPARE(storedValue("anna", "test" + QByteArray::number(k)), QByteArray("0"));
    QVERIFY(!entryVisible(form, "N0") && !entryVisible(form, "Ni"));

    QTest::mouseClick(form.progressPanel().SpeedButton4, Qt::LeftButton);
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(entryVisible(form, "N0") && entryVisible(form, "Ni"));
    QCOMPARE(answerer.texts.size(), 1);
}

void tst_testrun_window::singleClickOnlyMovesTheMark()
{
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
    form.menuEntry(u"test1"_s)->trigger();

    // The right answer of question 1 is C. How the marks move is the
    // panel's rule; here a single click answers nothing.
    QTest::mouseClick(form.testPanel().RadioButton3, Qt::LeftButton);
    QCOMPARE(form.run().tag(), 1);
    QCOMPARE(form.run().rightCount(), 0);
    QCOMPARE(form.testPanel().Memo1->toPlainText(), u"Вопрос 1 теста test1"_s);

    doubleClick(form.testPanel().RadioButton3);
    QCOMPARE(form.run().tag(), 2);
    QCOMPARE(form.run().rightCount(), 1);
    QCOMPARE(form.testPanel().Memo1->toPlainText(), u"Вопрос 2 теста test1"_s);
    QCOMPARE(frontPanel(form), u"Panel3"_s);
}

void tst_testrun_window::endEnablesEveryPassedRow()
{
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    typeLogin(form, u"anna"_s, u"pw"_s);
    QTest::mouseClick(form.loginPanel().SpeedButton1, Qt::LeftButton);
    Store::write("anna", "test3", "4", UsersIni);
    Store::write("anna", "test5", "3", UsersIni);
    Store::write("anna", "test7", "2", UsersIni);
    QTest::mouseClick(form.loginPanel().SpeedButton3, Qt::LeftButton);
    QVERIFY(entryEnabled(form, "N33") && entryEnabled(form, "test4"));
    QVERIFY(!entryEnabled(form, "N313") && !entryEnabled(form, "test8"));

    // Rows of passed tests that are locked when the run ends.
    form.enable("test3", false);
    form.enable("test5", false);
    QVERIFY(!entryEnabled(form, "N33") && !entryEnabled(form, "test6"));
    const bool n39Visible = entryVisible(form, "N39");
    const bool test6Visible = entryVisible(form, "test6");

    form.menuEntry(u"test1"_s)->trigger();
    answerAll(form, TenLetters, 4);
    QCOMPARE(form.session().scores()[0], quint8(3));
    for (const char *name : {"N2", "test2", "N33", "test4", "N39", "test6"})
        QVERIFY2(entryEnabled(form, name), name);
    for (const char *name : {"N3", "test3", "N34", "test5", "N312", "test7", "N313", "test8"})
        QVERIFY2(!entryEnabled(form, name), name);
    // Enabling never shows what the menu tree keeps hidden.
    QCOMPARE(entryVisible(form, "N39"), n39Visible);
    QCOMPARE(entryVisible(form, "test6"), test6Visible);
    QCOMPARE(storedValue("anna", "test3"), QByteArray("4"));
    QCOMPARE(storedValue("anna", "test7"), QByteArray("2"));
}

void tst_testrun_window::logLine()
{
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"Иван"_s, u"пароль"_s);
    QVERIFY(!QFile::exists(u"log.txt"_s));

    form.menuEntry(u"test1"_s)->trigger();
    answerAll(form, TenLetters, 8);

    // The name as stored: Windows-1251 bytes.
    const QByteArray text = readFile(u"log.txt"_s);
    QVERIFY2(text.startsWith("\xC8\xE2\xE0\xED | ") && text.endsWith(" | test1 | 5\r\n"),
             text.constData());
    QCOMPARE(text.count("\r\n"), 1);
    QCOMPARE(form.edit1()->text(), CodePage::toUnicode(text));
}

void tst_testrun_window::logThatCannotBeAppended()
{
    makeTest("test1", TenLetters);
    QVERIFY(QDir().mkdir(u"log.txt"_s));
    {
        TForm1 form(MainWindowFixture::store());
        ModalAnswerer answerer(QMessageBox::Ok);
        QVERIFY(show(form));
        registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
        form.menuEntry(u"test1"_s)->trigger();
        answerAll(form, TenLetters, 4);

        QCOMPARE(answerer.texts.size(), 2);
        QCOMPARE(answerer.icons.last(), QMessageBox::Critical);
        QVERIFY(!answerer.texts.last().isEmpty());
        QCOMPARE(form.session().scores()[0], quint8(3));
        // The progress view is not opened and nothing after the log is done.
        QVERIFY(form.panel(PanelSwitch::Panel2)->isHidden());
        QCOMPARE(frontPanel(form), u"Panel3"_s);
        QVERIFY(!entryEnabled(form, "N2"));
        QCOMPARE(storedValue("anna", "test1"), QByteArray("1"));
        QVERIFY(QFileInfo(u"log.txt"_s).isDir());

        // The run is over: further answers, right ones included, neither
        // count nor grade the run again.
        for (int i = 0; i < 3; ++i)
            doubleClick(form.testPanel().answerButton(rightFor(TenLetters.back())));
        QCOMPARE(form.session().scores()[0], quint8(3));
        QCOMPARE(form.run().rightCount(), 4);
        QCOMPARE(answerer.texts.size(), 2);

        form.close();
        QCOMPARE(answerer.texts.size(), 3);
        QCOMPARE(answerer.texts.last(), u"Вы действительно хотите выйти из программы?"_s);
        QVERIFY(!form.isVisible());
    }
    QCOMPARE(storedValue("anna", "test1"), QByteArray("3"));
    QCOMPARE(storedValue("anna", "test12"), QByteArray("0"));
}

// Every refusal takes this road; the refusals are the run's rules.
void tst_testrun_window::refusedStart()
{
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
    const QString memo = form.testPanel().Memo1->toPlainText();

    form.menuEntry(u"test1"_s)->trigger();
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(answerer.icons.last(), QMessageBox::Warning);
    QVERIFY2(answerer.texts.last().startsWith(u"Тест test1 "_s), qPrintable(answerer.texts.last()));
    QCOMPARE(frontPanel(form), u"Panel1"_s);
    QVERIFY(form.panel(PanelSwitch::Panel3)->isHidden());
    QVERIFY(entryVisible(form, "N0") && entryVisible(form, "Ni"));
    QCOMPARE(form.run().tag(), 0);
    QCOMPARE(form.testPanel().Memo1->toPlainText(), memo);
    QCOMPARE(form.session().scores()[0], quint8(1));
    QVERIFY(!QFile::exists(u"log.txt"_s));
}

void tst_testrun_window::countTurnsInvalidDuringRun()
{
    const QByteArray count = "abc";
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
    form.menuEntry(u"test1"_s)->trigger();
    doubleClick(form.testPanel().RadioButton3);
    doubleClick(form.testPanel().RadioButton2);
    QCOMPARE(form.run().tag(), 3);

    Store::write("inf", "vsego", count, testFileName("test1"));
    doubleClick(form.testPanel().RadioButton4);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(answerer.icons.last(), QMessageBox::Critical);
    QVERIFY(answerer.texts.last().contains(QString::fromLatin1(count)));
    // The test stays up.
    QCOMPARE(frontPanel(form), u"Panel3"_s);
    QCOMPARE(form.session().scores()[0], quint8(1));
    QCOMPARE(storedValue("anna", "test1"), QByteArray("1"));
    QVERIFY(!QFile::exists(u"log.txt"_s));

    // Once the count is sound again, the run goes on to its end.
    Store::write("inf", "vsego", "10", testFileName("test1"));
    for (int tag = 4; tag <= 10; ++tag)
        doubleClick(form.testPanel().RadioButton1);
    QCOMPARE(answerer.texts.size(), 2);
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    QVERIFY(form.session().scores()[0] >= 1 && form.session().scores()[0] <= 5);
}

void tst_testrun_window::logView()
{
    makeTest("test1", TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    loginAsAdministrator(form, u"secret"_s);
    QVERIFY(entryVisible(form, "N30"));

    form.menuEntry(u"N30"_s)->trigger();
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(answerer.icons.last(), QMessageBox::Critical);
    // The log's name came from the settings at start-up: the box names the file.
    QVERIFY2(answerer.texts.last().startsWith(u"Cannot open file \""_s) &&
                 answerer.texts.last().contains(u"log.txt\". "_s),
             qPrintable(answerer.texts.last()));
    QCOMPARE(answerer.titles.last(), CourseInfo::Title);
    QCOMPARE(frontPanel(form), u"Panel6"_s);
    QCOMPARE(form.logPanel().Memo2->toPlainText(), u"Memo2"_s);

    // The administrator takes a test; that it is logged but not stored among
    // the users is the session's rule.
    form.menuEntry(u"test1"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel3"_s);
    answerAll(form, TenLetters, 6);
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    const QByteArray text = readFile(u"log.txt"_s);
    QVERIFY(text.startsWith("admin | "));
    QVERIFY(text.endsWith(" | test1 | 4\r\n"));

    form.menuEntry(u"N30"_s)->trigger();
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(frontPanel(form), u"Panel6"_s);
    // The view's being read-only and reloading are the log panel's rules.
    QCOMPARE(form.logPanel().Memo2->toPlainText(), CodePage::toUnicode(text.chopped(2)));
}

void tst_testrun_window::roadOfATest()
{
    const QString course = QStringLiteral(COURSEBOOK_SOURCE_DIR) + u"/course"_s;
    copyTree(course, work().path());
    QVERIFY(QDir().mkpath(u"data/tests"_s));
    {
        TestConverter converter;
        for (const char *name : {"test1", "test2"})
            converter.convert(course + u"/sources/"_s + QString::fromLatin1(name) + u".txt"_s,
                              testFileName(name));
    }
    const QByteArray source = readFile(course + u"/sources/test1.txt"_s);
    const QString firstQuestion = CodePage::toUnicode(source.left(source.indexOf("\r\n")));
    const QString student = u"Студент"_s;
    const QByteArray studentStored = CodePage::fromUnicode(student);

    {
        TForm1 form(MainWindowFixture::store());
        TForm2 form2(&form);
        form.setAuthoringWindow(&form2);
        ModalAnswerer answerer(QMessageBox::Ok);
        QVERIFY(show(form));
        QCOMPARE(form.session().adminSettings().logName, QByteArray("testlog.txt"));
        registerAndLogin(form, answerer, student, u"пароль1"_s);
        QVERIFY(!entryEnabled(form, "N2") && !entryEnabled(form, "test2"));

        form.menuEntry(u"test1"_s)->trigger();
        QCOMPARE(frontPanel(form), u"Panel3"_s);
        QCOMPARE(form.testPanel().Memo1->toPlainText(), firstQuestion);
        QVERIFY(form.testPanel().RadioButton1->text().startsWith(u"A) "_s));
        // Four right, then the rest wrong; the screen is caught after two.
        for (int i = 0; i < 10; ++i) {
            if (i == 2)
                saveShot(form.grab(), u"test_panel_mid_run"_s);
            const char letter = TenLetters.at(i);
            doubleClick(form.testPanel().answerButton(i < 4 ? rightFor(letter) : wrongFor(letter)));
        }
        QCOMPARE(frontPanel(form), u"Panel2"_s);
        QCOMPARE(form.progressPanel().valueLabels[0]->text(), u"3"_s);
        QCOMPARE(form.progressPanel().Label5->text(), student);
        saveShot(form.grab(), u"progress_after_run"_s);
        QVERIFY(!entryVisible(form, "N0") && !entryVisible(form, "Ni"));

        QTest::mouseClick(form.progressPanel().SpeedButton4, Qt::LeftButton);
        QCOMPARE(frontPanel(form), u"Panel1"_s);
        QVERIFY(entryVisible(form, "N0") && entryVisible(form, "Ni"));
        QVERIFY(entryEnabled(form, "N2") && entryEnabled(form, "test2"));
        QVERIFY(!entryEnabled(form, "N3") && !entryEnabled(form, "test3"));

        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(answerer.texts.last(), u"Вы действительно хотите выйти из программы?"_s);
        QCOMPARE(answerer.icons.count(QMessageBox::Critical), 0);
    }
    QCOMPARE(storedValue(studentStored, "test1"), QByteArray("3"));
    QCOMPARE(readFile(u"users"_s).trimmed(), studentStored);

    TForm1 form(MainWindowFixture::store());
    TForm2 form2(&form);
    form.setAuthoringWindow(&form2);
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    loginAsAdministrator(form, u"admin123"_s);
    QCOMPARE(frontPanel(form), u"Panel1"_s);

    form.menuEntry(u"Ni"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel2"_s);
    QComboBox *combo = form.progressPanel().ComboBox1;
    const int index = combo->findText(student);
    QVERIFY(index >= 0);
    combo->showPopup();
    QAbstractItemView *list = combo->view();
    QTRY_VERIFY(list->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(index, 0)).center());
    QTRY_COMPARE(form.progressPanel().valueLabels[0]->text(), u"3"_s);
    QCOMPARE(form.progressPanel().valueLabels[1]->text(), u"0"_s);
    QCOMPARE(form.session().scores()[0], quint8(3));

    // The authoring window over the main window, caught while it is up.
    bool shown = false;
    QTimer::singleShot(0, &form2, [&] {
        shown = QTest::qWaitForWindowExposed(&form2) && form2.isModal();
        QPixmap picture = form.grab();
        {
            QPainter painter(&picture);
            painter.drawPixmap(form2.mapToGlobal(QPoint()) - form.mapToGlobal(QPoint()),
                               form2.grab());
        }
        saveShot(picture, u"authoring_over_main"_s);
        // Closed in any case, so that a failure cannot leave the test waiting.
        form2.Button2->click();
    });
    form.menuEntry(u"nred"_s)->trigger();
    QVERIFY(shown);
    QVERIFY(!form2.isVisible());

    form.menuEntry(u"N30"_s)->trigger();
    QCOMPARE(frontPanel(form), u"Panel6"_s);
    const QString shownLog = form.logPanel().Memo2->toPlainText();
    QVERIFY2(shownLog.startsWith(student + u" | "_s), qPrintable(shownLog));
    QVERIFY2(shownLog.endsWith(u" | test1 | 3"_s), qPrintable(shownLog));
    QCOMPARE(shownLog.count(u'\n'), 0);
    saveShot(form.grab(), u"log_view"_s);
    QVERIFY(answerer.texts.isEmpty());
}

// A folder's own course: its menus, its unlocking, its progress rows.
void tst_testrun_window::courseOfItsOwn()
{
    QVERIFY(
        QFile::copy(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"),
                    path(u"course.ini"_s)));
    for (const QByteArray test : {"test1", "test2", "test3", "test4"})
        makeTest(test, TenLetters);
    TForm1 form(MainWindowFixture::store());
    ModalAnswerer answerer(QMessageBox::Ok);
    QVERIFY(show(form));
    QCOMPARE(form.windowTitle(), u"Основы компьютерных сетей"_s);
    QVERIFY(!form.menuEntry(u"N0"_s));
    registerAndLogin(form, answerer, u"anna"_s, u"pw"_s);
    QVERIFY(entryVisible(form, "contents") && !entryVisible(form, "settings"));
    QCOMPARE(form.progressPanel().testLabels[3]->text(), u"Итоговый тест"_s);
    QVERIFY(form.progressPanel().testLabels[4]->isHidden());
    QCOMPARE(form.menuEntry(u"test4"_s)->toolTip(),
             u"Откроется после тестов «Тест по теме 1», «Тест по теме 2», «Тест по теме 3»"_s);
    QCOMPARE(readAloud(form.menuEntry(u"test4"_s)), form.menuEntry(u"test4"_s)->toolTip());
    for (int k = 1; k <= 3; ++k) {
        const QByteArray next = QByteArray::number(k + 1);
        if (k < 3)
            QVERIFY(!entryEnabled(form, "t" + next) && !entryEnabled(form, "test" + next));
        QVERIFY(!entryEnabled(form, "test4"));
        form.menuEntry(u"test%1"_s.arg(k))->trigger();
        QVERIFY(!entryVisible(form, "contents") && !entryVisible(form, "progress"));
        answerAll(form, TenLetters, 4);
        QTest::mouseClick(form.progressPanel().SpeedButton4, Qt::LeftButton);
        QVERIFY(entryVisible(form, "contents") && entryVisible(form, "progress"));
        if (k < 3)
            QVERIFY(entryEnabled(form, "t" + next) && entryEnabled(form, "test" + next));
    }
    QVERIFY(entryEnabled(form, "test4"));
}

// A broken file shows no other course: the help and the exit, and the
// findings in the page view once the administrator is in.
void tst_testrun_window::brokenCourseFile()
{
    QVERIFY(work().write(u"course.ini"_s, "[menu]\ngroup g \"G\"\n  page p \"P\" ..\\x.htm\n"));
    TForm1 form(MainWindowFixture::store());
    QVERIFY(show(form));
    QStringList top;
    for (QAction *action : form.mainMenu()->actions())
        top.append(action->text().remove(u'&'));
    QCOMPARE(top, QStringList({u"Помощь"_s, u"Выход"_s}));
    loginAsAdministrator(form, u"secret"_s);
    QTRY_VERIFY(form.webBrowser()->title().contains(u"course.ini"_s));
    QVERIFY(pageText(form, {u"строка 3: ошибка"_s}).contains(u"строка 3: ошибка"_s));
}

QTEST_MAIN(tst_testrun_window)
#include "tst_testrun_window.moc"
