#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
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

    // A font by the face the layout names, at a character height in pixels;
    // a face this machine lacks falls back to a close one.
    static QFont font(const QString &face, int pixelHeight, bool bold = false, bool italic = false);
    static QFont sansSerif(int pixelHeight, bool bold = false);

    static void setBackground(QWidget *widget, const QColor &colour);
    // A panel with a raised inner and a lowered outer bevel.
    static void bevel(QFrame *frame);

    // A label at a position, sized to its text.
    static QLabel *label(QWidget *parent, const QString &objectName, const QString &text, int left,
                         int top, const QFont &font, const QColor &colour = Qt::black);
};
