// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsPanel.h"

#include <QAccessible>
#include <QFrame>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

class tst_SettingsPanel : public QObject
{
    Q_OBJECT

private slots:
    void keyboardAndNames();
};

void tst_SettingsPanel::keyboardAndNames()
{
    QFrame panel;
    panel.resize(920, 736);
    SettingsPanel settings(&panel, u"Курс"_s);
    panel.show();
    QVERIFY(QTest::qWaitForWindowActive(&panel));

    // Tab goes down the four fields and on to the two buttons.
    QCOMPARE(settings.firstControl(), settings.Edit3);
    settings.firstControl()->setFocus();
    QWidget *const order[] = {settings.Edit3, settings.Edit4,        settings.Edit5,
                              settings.Edit6, settings.SpeedButton7, settings.SpeedButton6,
                              settings.Edit3};
    for (QWidget *expected : order) {
        QCOMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    // Every control a screen reader reaches has its label's or its caption's
    // name.
    const QHash<QWidget *, QString> names = {
        {settings.Edit3, u"Введите логин администратора:"_s},
        {settings.Edit4, u"Введите пароль администратора"_s},
        {settings.Edit5, u"Введите пароль еще раз:"_s},
        {settings.Edit6, u"Укажите имя файл отчета"_s},
        {settings.SpeedButton7, u"Применить"_s},
        {settings.SpeedButton6, u"Назад"_s},
    };
    for (QWidget *w : panel.findChildren<QWidget *>()) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            continue;
        QVERIFY2(names.contains(w), qPrintable(w->objectName()));
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name), names.value(w));
    }

    for (QToolButton *b : {settings.SpeedButton7, settings.SpeedButton6}) {
        QSignalSpy clicked(b, &QAbstractButton::clicked);
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Return);
        QTest::keyClick(b, Qt::Key_Space);
        QCOMPARE(clicked.count(), 2);
    }
}

QTEST_MAIN(tst_SettingsPanel)
#include "tst_settingspanel.moc"
