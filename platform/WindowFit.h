// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QMainWindow;
class QRect;
class QScrollArea;
class QWidget;

// A main window laid out for a fixed outer size on the original desktop. It
// keeps that size where the screen has room for it; on a smaller screen, or
// at a larger text size, it takes what the screen offers and its client area
// scrolls, so that every panel and the menu bar stay reachable.
class WindowFit
{
public:
    // Makes the client area the window's central widget inside a frameless
    // scroll area.
    static QScrollArea *scrolling(QMainWindow *window, QWidget *client);

    // The window's size for the laid-out outer size on a screen with the
    // given free area, and its frame as the window system draws it.
    static QSize windowSize(QSize designedOuter, QSize frame, const QRect &available);

    // Sizes and centres the window on its screen; the client area keeps the
    // laid-out size and scrolls where the window is smaller.
    static void fit(QMainWindow *window, QSize designedOuter, QSize assumedFrame);

    // Gives the control the focus and scrolls it into view.
    static void focus(QWidget *control);
};
