// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseInfo.h"
#include "TForm5.h"
#include "TOKRightDlg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void aboutLayout();
    void aboutTexts_data();
    void aboutTexts();
    void aboutCloses();
    void authorWindow();
};

void tst_Dialogs::aboutLayout()
{
    TOKRightDlg dialog;
    QCOMPARE(dialog.objectName(), u"OKRightDlg"_s);
    QCOMPARE(dialog.windowTitle(), u"О программе"_s);
    QCOMPARE(dialog.size(), QSize(726, 265));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(0xA6, 0xCA, 0xF0));
    QCOMPARE(dialog.palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(dialog.Image1->geometry(), QRect(0, 32, 185, 177));
    QCOMPARE(dialog.Bevel1->geometry(), QRect(0, 32, 185, 177));
    QVERIFY(!dialog.Image1->pixmap().isNull());
    QCOMPARE(dialog.OKBtn->text(), u"Закрыть"_s);
    QCOMPARE(dialog.OKBtn->geometry(), QRect(244, 232, 75, 25));
    QVERIFY(dialog.OKBtn->isDefault());
    // Every label lies inside the window.
    for (QLabel *label :
         {dialog.Label1, dialog.Label2, dialog.Label3, dialog.Label4, dialog.Label5, dialog.Label6})
        QVERIFY2(dialog.rect().contains(label->geometry()),
                 qPrintable(label->objectName() + u" ends at "_s +
                            QString::number(label->geometry().right())));
}

void tst_Dialogs::aboutTexts_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("Label1") << u"Label1"_s << u"Данное электронное пособие"_s << QPoint(224, 24)
                            << 16;
    QTest::newRow("Label2") << u"Label2"_s << u"предназначено для изучения студентами"_s
                            << QPoint(224, 56) << 16;
    QTest::newRow("Label3") << u"Label3"_s << u" специальности \"Информационные системы\""_s
                            << QPoint(216, 88) << 16;
    QTest::newRow("Label4") << u"Label4"_s
                            << u"по дисциплине \""_s + CourseInfo::TitleFirstLine + u" \""_s
                            << QPoint(224, 120) << 17;
    QTest::newRow("Label6") << u"Label6"_s << CourseInfo::TitleSecondLine << QPoint(224, 152) << 17;
    QTest::newRow("Label5") << u"Label5"_s << CourseInfo::PlaceAndYear << QPoint(232, 208) << 13;
}

void tst_Dialogs::aboutTexts()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QPoint, position);
    QFETCH(int, pixelSize);
    TOKRightDlg dialog;
    auto *widget = dialog.findChild<QLabel *>(label);
    QVERIFY(widget);
    QCOMPARE(widget->text(), text);
    QCOMPARE(widget->pos(), position);
    QCOMPARE(widget->font().pixelSize(), pixelSize);
    QVERIFY(widget->font().bold());
}

void tst_Dialogs::aboutCloses()
{
    TOKRightDlg dialog;
    int opened = 0;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (QApplication::activeModalWidget() == &dialog) {
            ++opened;
            if (opened == 1)
                dialog.OKBtn->click();
            else
                QTest::keyClick(&dialog, Qt::Key_Return);
        }
    });
    poll.start();
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    // The default button answers the Enter key as well.
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(opened, 2);
    QVERIFY(!dialog.isVisible());
}

void tst_Dialogs::authorWindow()
{
    TForm5 window;
    QCOMPARE(window.objectName(), u"Form5"_s);
    QCOMPARE(window.windowTitle(), u"Об авторе"_s);
    QCOMPARE(window.pos(), QPoint(289, 245));
    QCOMPARE(window.Image1->geometry(), QRect(344, 16, 201, 193));
    QVERIFY(!window.Image1->pixmap().isNull());
    QCOMPARE(window.Label2->geometry(), QRect(8, 48, 293, 48));
    QVERIFY(window.Label2->text().startsWith(u"Автор: "_s));
    QCOMPARE(window.Label2->text().count(u'\n'), 1);
    QCOMPARE(window.Label3->pos(), QPoint(200, 232));
    QVERIFY(window.rect().contains(window.Label3->geometry()));

    QWidget other;
    other.show();
    window.showForward();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(other.isVisible());
    window.close();
    QVERIFY(!window.isVisible());
    QVERIFY(window.testAttribute(Qt::WA_WState_Hidden));
    // The same window comes back with the same content.
    const QString text = window.Label2->text();
    window.showForward();
    QVERIFY(window.isVisible());
    QCOMPARE(window.Label2->text(), text);
}

QTEST_MAIN(tst_Dialogs)
#include "tst_Dialogs.moc"
