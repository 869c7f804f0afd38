// SPDX-License-Identifier: GPL-3.0-or-later
#include "Look.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScreen>

#include <algorithm>
#include <cmath>

QColor Look::skyBlue()
{
    return QColor(0xA6, 0xCA, 0xF0);
}

QColor Look::teal()
{
    // A shade lighter than the desktop's teal: both the black and the white
    // texts of the progress view reach a contrast of 4.5:1 on it.
    return QColor(0x00, 0x83, 0x83);
}

QColor Look::red()
{
    // The desktop's red darkened to reach 4.5:1 on every light background the
    // program draws it on, sky blue and the button face included.
    return QColor(0xA0, 0x00, 0x00);
}

QColor Look::silver()
{
    return QColor(0xC0, 0xC0, 0xC0);
}

QColor Look::scrollBar()
{
    return QColor(0xC8, 0xC8, 0xC8);
}

QColor Look::buttonFace()
{
    return QColor(0xF0, 0xF0, 0xF0);
}

QFont Look::font(const QString &face, int pixelHeight, bool bold, bool italic)
{
    QFont f(face);
    // Faces of the original desktop that this machine usually lacks.
    if (face == QLatin1String("MS Sans Serif"))
        f.setFamilies({face, QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("Sans Serif")});
    else if (face == QLatin1String("Times New Roman"))
        f.setFamilies({face, QStringLiteral("Nimbus Roman"), QStringLiteral("Liberation Serif"),
                       QStringLiteral("DejaVu Serif"), QStringLiteral("Serif")});
    else if (face == QLatin1String("Georgia"))
        f.setFamilies({face, QStringLiteral("C059"), QStringLiteral("DejaVu Serif"),
                       QStringLiteral("Serif")});
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QFont Look::sansSerif(int pixelHeight, bool bold)
{
    return font(QStringLiteral("MS Sans Serif"), pixelHeight, bold);
}

double Look::contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette Look::readable(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QColor highlight = palette.color(group, QPalette::Highlight);
        const QColor text = palette.color(group, QPalette::HighlightedText);
        for (int step = 0; step < 20 && contrast(highlight, text) < 4.5; ++step)
            highlight = highlight.darker(110);
        palette.setColor(group, QPalette::Highlight, highlight);
    }
    return palette;
}

void Look::setBackground(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void Look::bevel(QFrame *frame)
{
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
}

QLabel *Look::label(QWidget *parent, const QString &objectName, const QString &text, int left,
                    int top, const QFont &font, const QColor &colour)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->move(left, top);
    l->adjustSize();
    return l;
}

void Look::centreOnScreen(QWidget *window, QSize outer)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), outer.isValid() ? outer : window->frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void Look::maskAsPassword(QLineEdit *edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
