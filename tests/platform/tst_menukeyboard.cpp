// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuKeyboard.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_MenuKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void f10OpensFirstShownGroup_data();
    void f10OpensFirstShownGroup();
    void arrowsStopOnDisabledEntries();
};

namespace {

struct Window
{
    QMainWindow window;
    QMenu *hidden;
    QMenu *contents;
    QMenu *help;
    QAction *topic1;
    QAction *locked;
    QAction *topic2;

    Window()
    {
        hidden = window.menuBar()->addMenu(u"Скрытое"_s);
        hidden->menuAction()->setVisible(false);
        contents = window.menuBar()->addMenu(u"Содержание"_s);
        topic1 = contents->addAction(u"Тема 1"_s);
        locked = contents->addAction(u"Тестирование №2"_s);
        locked->setEnabled(false);
        topic2 = contents->addAction(u"Тема 3"_s);
        help = window.menuBar()->addMenu(u"Помощь"_s);
        help->addAction(u"О программе"_s);
        window.setCentralWidget(new QWidget);
        MenuKeyboard::attach(window.menuBar());
        window.resize(400, 300);
        window.show();
    }
};

} // namespace

void tst_MenuKeyboard::f10OpensFirstShownGroup_data()
{
    QTest::addColumn<bool>("firstHidden");
    QTest::newRow("first group shown") << false;
    QTest::newRow("first group hidden") << true;
}

void tst_MenuKeyboard::f10OpensFirstShownGroup()
{
    QFETCH(bool, firstHidden);
    Window w;
    w.hidden->menuAction()->setVisible(!firstHidden);
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QTest::keyClick(&w.window, Qt::Key_F10);
    QMenu *expected = firstHidden ? w.contents : w.hidden;
    QCOMPARE(w.window.menuBar()->activeAction(), expected->menuAction());
    QTRY_VERIFY(expected->isVisible());
    QTest::keyClick(expected, Qt::Key_Escape);
}

void tst_MenuKeyboard::arrowsStopOnDisabledEntries()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QSignalSpy lockedTriggered(w.locked, &QAction::triggered);
    QSignalSpy topicTriggered(w.topic2, &QAction::triggered);
    QTest::keyClick(&w.window, Qt::Key_F10);
    QTRY_VERIFY(w.contents->isVisible());
    if (w.contents->activeAction() != w.topic1)
        QTest::keyClick(w.contents, Qt::Key_Down);
    QCOMPARE(w.contents->activeAction(), w.topic1);
    QTest::keyClick(w.contents, Qt::Key_Down);
    QCOMPARE(w.contents->activeAction(), w.locked);
    // Return on the locked entry leaves the list open and runs nothing.
    QTest::keyClick(w.contents, Qt::Key_Return);
    QCOMPARE(lockedTriggered.count(), 0);
    QVERIFY(w.contents->isVisible());
    QTest::keyClick(w.contents, Qt::Key_Down);
    QCOMPARE(w.contents->activeAction(), w.topic2);
    QTest::keyClick(w.contents, Qt::Key_Return);
    QCOMPARE(topicTriggered.count(), 1);
}

QTEST_MAIN(tst_MenuKeyboard)
#include "tst_menukeyboard.moc"
