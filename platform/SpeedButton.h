#pragma once

#include <QString>

class QFont;
class QToolButton;
class QWidget;

// The toolkit's speed button: a button with a picture beside its caption,
// flat where the layout says so.
class SpeedButton
{
public:
    static QToolButton *create(QWidget *parent, const QString &objectName, const QString &caption,
                               const QString &picture, int left, int top, int width, int height,
                               const QFont &font, bool flat);
};
