// SPDX-License-Identifier: GPL-3.0-or-later
#include "TOKRightDlg.h"

#include "CourseInfo.h"
#include "JpegImage.h"
#include "Look.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

TOKRightDlg::TOKRightDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"OKRightDlg"_s);
    setWindowTitle(u"О программе"_s);
    setFixedSize(726, 265);
    Look::setBackground(this, Look::skyBlue());
    setFont(Look::sansSerif(11));
    QPalette text = palette();
    text.setColor(QPalette::WindowText, Qt::blue);
    setPalette(text);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(0, 32, 185, 177);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(JpegImage::load(u":/pictures/about.jpg"_s)));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(u"Bevel1"_s);
    Bevel1->setGeometry(0, 32, 185, 177);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    const QFont heading = Look::sansSerif(16, true);
    const QFont course = Look::sansSerif(17, true);
    const QColor blue = Qt::blue;
    Label1 =
        Look::label(this, u"Label1"_s, u"Данное электронное пособие"_s, 224, 24, heading, blue);
    Label2 = Look::label(this, u"Label2"_s, u"предназначено для изучения студентами"_s, 224, 56,
                         heading, blue);
    Label3 = Look::label(this, u"Label3"_s, u" специальности \"Информационные системы\""_s, 216, 88,
                         heading, blue);
    Label4 = Look::label(this, u"Label4"_s,
                         u"по дисциплине \""_s + CourseInfo::TitleFirstLine + u" \""_s, 224, 120,
                         course);
    Label6 = Look::label(this, u"Label6"_s, CourseInfo::TitleSecondLine, 224, 152, course);
    Label5 = Look::label(this, u"Label5"_s, CourseInfo::PlaceAndYear, 232, 208,
                         Look::sansSerif(13, true));

    OKBtn = new QPushButton(u"Закрыть"_s, this);
    OKBtn->setObjectName(u"OKBtn"_s);
    OKBtn->setGeometry(244, 232, 75, 25);
    OKBtn->setFont(Look::sansSerif(13, true));
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TOKRightDlg::OKBtnClick);
}

void TOKRightDlg::OKBtnClick()
{
    accept();
}

void TOKRightDlg::showEvent(QShowEvent *event)
{
    Look::centreOnScreen(this);
    QDialog::showEvent(event);
}
