// SPDX-License-Identifier: GPL-3.0-or-later
#include "Look.h"
#include "ProgressPanel.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

class tst_ProgressPanel : public QObject
{
    Q_OBJECT

private slots:
    void firstControlByRole_data();
    void firstControlByRole();
    void labelsReadableOnTheirPanel();
};

void tst_ProgressPanel::firstControlByRole_data()
{
    QTest::addColumn<bool>("administrator");
    QTest::newRow("student") << false;
    QTest::newRow("administrator") << true;
}

void tst_ProgressPanel::firstControlByRole()
{
    QFETCH(bool, administrator);
    QFrame panel;
    panel.resize(921, 745);
    ProgressPanel progress(&panel);
    progress.setUsers({"Пётр", "Анна"});
    progress.ComboBox1->setVisible(administrator);
    panel.show();
    QVERIFY(QTest::qWaitForWindowActive(&panel));

    QWidget *first = progress.firstControl();
    QCOMPARE(first, administrator ? static_cast<QWidget *>(progress.ComboBox1)
                                  : static_cast<QWidget *>(progress.SpeedButton4));
    first->setFocus();
    QVERIFY(first->hasFocus());
    if (administrator) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), progress.SpeedButton4);
        QCOMPARE(QAccessible::queryAccessibleInterface(progress.ComboBox1)->text(QAccessible::Name),
                 u"Выберите имя пользователя:"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(progress.ComboBox1->lineEdit())
                     ->text(QAccessible::Name),
                 u"Выберите имя пользователя:"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(progress.ComboBox1->view())
                     ->text(QAccessible::Name),
                 u"Список пользователей"_s);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(progress.SpeedButton4)->text(QAccessible::Name),
             u"<<Назад"_s);

    // The flat button shows its frame while it has the focus.
    QVERIFY(progress.SpeedButton4->autoRaise() != progress.SpeedButton4->hasFocus());
    QSignalSpy back(progress.SpeedButton4, &QAbstractButton::clicked);
    progress.SpeedButton4->setFocus();
    QVERIFY(!progress.SpeedButton4->autoRaise());
    QTest::keyClick(progress.SpeedButton4, Qt::Key_Return);
    QTest::keyClick(progress.SpeedButton4, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(progress.SpeedButton4, Qt::Key_Space);
    QCOMPARE(back.count(), 3);
}

void tst_ProgressPanel::labelsReadableOnTheirPanel()
{
    QFrame panel;
    ProgressPanel progress(&panel);
    progress.showScores({});
    QList<QLabel *> labels = {progress.Label3,  progress.Label4,  progress.Label5,
                              progress.Label40, progress.Label41, progress.Label35};
    for (int k = 0; k < 10; ++k)
        labels << progress.testLabels[k] << progress.valueLabels[k];
    for (QLabel *label : labels) {
        const double ratio =
            Look::contrast(label->palette().color(QPalette::WindowText), Look::teal());
        QVERIFY2(ratio >= 4.5, qPrintable(u"%1: %2"_s.arg(label->objectName()).arg(ratio)));
    }
}

QTEST_MAIN(tst_ProgressPanel)
#include "tst_progresspanel.moc"
