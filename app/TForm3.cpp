// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm3.h"

#include "CourseInfo.h"
#include "JpegImage.h"
#include "Look.h"

#include <QLabel>
#include <QPixmap>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QLabel *picture(QWidget *parent, const QString &name, const QRect &geometry,
                const QString &resource)
{
    auto *image = new QLabel(parent);
    image->setObjectName(name);
    image->setGeometry(geometry);
    image->setScaledContents(true);
    image->setPixmap(QPixmap::fromImage(JpegImage::load(resource)));
    return image;
}

} // namespace

TForm3::TForm3(QWidget *mainWindow, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    setObjectName(u"Form3"_s);
    setWindowTitle(u"Титульный лист"_s);
    setFixedSize(612, 655);
    Look::setBackground(this, Look::skyBlue());
    setFont(Look::sansSerif(11));

    const QFont large = Look::sansSerif(16, true);
    const QFont title = Look::sansSerif(24, true);
    const QFont small = Look::sansSerif(13, true);
    Label6 = Look::label(this, u"Label6"_s, CourseInfo::Institution, 32, 8, large);
    Label7 = Look::label(this, u"Label7"_s, CourseInfo::Department, 152, 32, large);
    Image1 = picture(this, u"Image1"_s, QRect(216, 64, 177, 177), u":/pictures/emblem.jpg"_s);
    Label4 = Look::label(this, u"Label4"_s, u"Электронное учебное издание"_s, 160, 248,
                         Look::sansSerif(19, true), Look::red());
    Label1 = Look::label(this, u"Label1"_s, CourseInfo::TitleFirstLine, 44, 282, title);
    Label3 = Look::label(this, u"Label3"_s, CourseInfo::TitleSecondLine, 80, 312, title);
    Label2 = Look::label(this, u"Label2"_s, u"Автор: "_s + CourseInfo::Author, 168, 344, small);
    Label5 = Look::label(this, u"Label5"_s, CourseInfo::Specialty, 24, 368, small);
    Image2 =
        picture(this, u"Image2"_s, QRect(136, 392, 345, 233), u":/pictures/illustration.jpg"_s);
    Label8 = Look::label(this, u"Label8"_s, CourseInfo::PlaceAndYear, 250, 632, small);

    // The timer runs from the creation of the page, before it is on screen.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(3000);
    // A coarse timer may fire up to five per cent early.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TForm3::Timer1Timer);
    Timer1->start();
}

void TForm3::setMainWindow(QWidget *mainWindow)
{
    m_mainWindow = mainWindow;
    if (m_closed)
        FormClose();
}

void TForm3::Timer1Timer()
{
    Timer1->stop();
    close();
}

void TForm3::FormClose()
{
    if (m_mainWindow)
        m_mainWindow->show();
}

void TForm3::done(int result)
{
    if (!m_closed) {
        m_closed = true;
        Timer1->stop();
        FormClose();
    }
    QDialog::done(result);
}

void TForm3::showEvent(QShowEvent *event)
{
    Look::centreOnScreen(this);
    QDialog::showEvent(event);
}
