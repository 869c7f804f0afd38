// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoginPanel.h"

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

class tst_LoginPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tabGoesThroughFieldsAndButtons();
    void keysPressTheButtons_data();
    void keysPressTheButtons();
    void returnInPasswordLogsIn_data();
    void returnInPasswordLogsIn();
    void everyControlIsNamed();
    void captionsShowWithTheirAccessLetters();

private:
    QFrame *m_panel = nullptr;
    LoginPanel *m_login = nullptr;
};

void tst_LoginPanel::init()
{
    m_panel = new QFrame;
    m_panel->resize(921, 737);
    m_login = new LoginPanel(m_panel);
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowActive(m_panel));
}

void tst_LoginPanel::cleanup()
{
    delete m_login;
    delete m_panel;
}

void tst_LoginPanel::tabGoesThroughFieldsAndButtons()
{
    QCOMPARE(m_login->firstControl(), m_login->Edit2);
    m_login->firstControl()->setFocus();
    QWidget *const order[] = {m_login->Edit2,        m_login->MaskEdit1,    m_login->SpeedButton3,
                              m_login->SpeedButton1, m_login->SpeedButton2, m_login->Edit2};
    for (QWidget *expected : order) {
        QCOMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void tst_LoginPanel::keysPressTheButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    for (int b : {1, 2, 3}) {
        QTest::addRow("SpeedButton%d Space", b) << b << int(Qt::Key_Space) << 0;
        QTest::addRow("SpeedButton%d Return", b) << b << int(Qt::Key_Return) << 0;
        QTest::addRow("SpeedButton%d keypad Enter", b)
            << b << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }
}

void tst_LoginPanel::keysPressTheButtons()
{
    QFETCH(int, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QToolButton *const buttons[] = {m_login->SpeedButton1, m_login->SpeedButton2,
                                    m_login->SpeedButton3};
    QToolButton *b = buttons[button - 1];
    QVERIFY(b->focusPolicy() & Qt::TabFocus);
    b->setFocus();
    QVERIFY(b->hasFocus());
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    QTest::keyClick(b, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(clicked.count(), 1);

    // A held key presses once.
    QKeyEvent repeat(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), true);
    QApplication::sendEvent(b, &repeat);
    QCOMPARE(clicked.count(), 1);
}

void tst_LoginPanel::returnInPasswordLogsIn_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << 0;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void tst_LoginPanel::returnInPasswordLogsIn()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QSignalSpy login(m_login->SpeedButton3, &QAbstractButton::clicked);
    QSignalSpy registration(m_login->SpeedButton1, &QAbstractButton::clicked);
    m_login->MaskEdit1->setFocus();
    QTest::keyClicks(m_login->MaskEdit1, u"secret"_s);
    QTest::keyClick(m_login->MaskEdit1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(login.count(), 1);
    QCOMPARE(registration.count(), 0);
    QCOMPARE(m_login->MaskEdit1->text(), u"secret"_s);

    // Return in the name field does not log in with a password not yet typed.
    m_login->Edit2->setFocus();
    QTest::keyClick(m_login->Edit2, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(login.count(), 1);
}

void tst_LoginPanel::everyControlIsNamed()
{
    const QHash<QWidget *, QString> names = {
        {m_login->Edit2, u"Пользователь:"_s},
        {m_login->MaskEdit1, u"Пароль:"_s},
        {m_login->SpeedButton3, u"Далее>>"_s},
        {m_login->SpeedButton1, u"Новый пользователь"_s},
        {m_login->SpeedButton2, u"Удалить пользователя"_s},
    };
    for (QWidget *w : m_panel->findChildren<QWidget *>()) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        QVERIFY2(names.contains(w), qPrintable(w->objectName()));
        QCOMPARE(a->text(QAccessible::Name), names.value(w));
    }
}

void tst_LoginPanel::captionsShowWithTheirAccessLetters()
{
    // The marks are the toolkit's underlines; on screen the captions read as
    // laid out, no two buttons share a letter, and Alt with the letter
    // presses the button.
    QSet<QChar> letters;
    for (QToolButton *b : {m_login->SpeedButton3, m_login->SpeedButton1, m_login->SpeedButton2}) {
        const qsizetype at = b->text().indexOf(u'&');
        QVERIFY2(at >= 0 && at + 1 < b->text().size(), qPrintable(b->text()));
        const QChar letter = b->text().at(at + 1).toUpper();
        QVERIFY(!letters.contains(letter));
        letters.insert(letter);
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        m_login->Edit2->setFocus();
        QTest::sendKeyEvent(QTest::Click, m_login->Edit2, Qt::Key(letter.unicode()),
                            QString(letter.toLower()), Qt::AltModifier);
        // The toolkit shows the press for a moment before the click.
        QTRY_COMPARE(clicked.count(), 1);
    }
    QCOMPARE(QString(m_login->SpeedButton3->text()).remove(u'&'), u"Далее>>"_s);
    QCOMPARE(QString(m_login->SpeedButton1->text()).remove(u'&'), u"Новый пользователь"_s);
    QCOMPARE(QString(m_login->SpeedButton2->text()).remove(u'&'), u"Удалить пользователя"_s);
}

QTEST_MAIN(tst_LoginPanel)
#include "tst_loginpanel.moc"
