// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm5.h"

#include "CourseInfo.h"
#include "JpegImage.h"
#include "Look.h"

#include <QLabel>
#include <QPixmap>

using namespace Qt::Literals::StringLiterals;

namespace {

// The layout gives the outer size; the frame of a sizeable window of the
// original desktop takes 16 pixels across and 39 down.
constexpr int OuterWidth = 608;
constexpr int OuterHeight = 311;
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 39;

// The system colour of the active title bar's gradient.
const QColor TitleGradient(0xB9, 0xD1, 0xEA);

} // namespace

TForm5::TForm5(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"Form5"_s);
    setWindowTitle(u"Об авторе"_s);
    resize(OuterWidth - FrameWidth, OuterHeight - FrameHeight);
    move(289, 245);
    Look::setBackground(this, TitleGradient);
    setFont(Look::sansSerif(11));

    const QFont text = Look::sansSerif(13, true);
    Label2 = Look::label(this, u"Label2"_s,
                         u"Автор: "_s + CourseInfo::Author + u'\n' + CourseInfo::Department, 8, 48,
                         text);
    Label2->setFixedSize(293, 48);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3 = Look::label(this, u"Label3"_s, CourseInfo::PlaceAndYear, 200, 232, text);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(344, 16, 201, 193);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(JpegImage::load(u":/pictures/author.jpg"_s)));
}

void TForm5::showForward()
{
    show();
    raise();
    activateWindow();
}
