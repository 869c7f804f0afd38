// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

class QMenuBar;

// The menu bar as a keyboard user of the desktop expects it: F10 opens its
// first shown group, and the arrow keys stop on entries that are shown but
// disabled, so that a screen reader announces them as unavailable instead of
// passing over them in silence. Return on such an entry does nothing.
class MenuKeyboard : public QProxyStyle
{
    Q_OBJECT

public:
    // Applies to the menu bar and to every list below it that exists now.
    static void attach(QMenuBar *menuBar);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

private:
    explicit MenuKeyboard(QStyle *base);
};
