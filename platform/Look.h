// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

// The colours, fonts and bevels of the original desktop toolkit, as the
// windows' layouts name them, mapped onto what this machine has.
class Look
{
public:
    static QColor skyBlue();
    static QColor teal();
    static QColor silver();
    static QColor scrollBar();
    static QColor buttonFace();
    static QColor red();

    // The contrast ratio of two colours as the web's accessibility guidelines
    // define it: 1 for equal colours up to 21 for black on white.
    static double contrast(const QColor &a, const QColor &b);

    // The palette with its selection colour darkened, hue kept, until the
    // selected text on it reaches a contrast of 4.5:1.
    static QPalette readable(QPalette palette);

    // A font by the face the layout names, at a character height in pixels;
    // a face this machine lacks falls back to a close one.
    static QFont font(const QString &face, int pixelHeight, bool bold = false, bool italic = false);
    static QFont sansSerif(int pixelHeight, bool bold = false);

    static void setBackground(QWidget *widget, const QColor &colour);
    // A panel with a raised inner and a lowered outer bevel.
    static void bevel(QFrame *frame);

    // An edit that shows "*" for each character, as the toolkit's password
    // character did.
    static void maskAsPassword(QLineEdit *edit);

    // Places the window's outer frame (of the given size, or its own frame
    // where none is given) in the centre of the primary screen.
    static void centreOnScreen(QWidget *window, QSize outer = QSize());

    // A label at a position, sized to its text.
    static QLabel *label(QWidget *parent, const QString &objectName, const QString &text, int left,
                         int top, const QFont &font, const QColor &colour = Qt::black);
};
