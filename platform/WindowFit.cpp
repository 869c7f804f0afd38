// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFit.h"

#include "Look.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>

QScrollArea *WindowFit::scrolling(QMainWindow *window, QWidget *client)
{
    auto *area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("ClientScroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(client);
    window->setCentralWidget(area);
    return area;
}

QSize WindowFit::windowSize(QSize designedOuter, QSize frame, const QRect &available)
{
    const QSize designed = designedOuter - frame;
    if (!available.isValid())
        return designed;
    return designed.boundedTo(available.size() - frame);
}

void WindowFit::fit(QMainWindow *window, QSize designedOuter, QSize assumedFrame)
{
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0)
        frame = assumedFrame;
    const QSize designed = designedOuter - frame;
    const int menuHeight = window->menuBar() ? window->menuBar()->sizeHint().height() : 0;
    if (QWidget *area = window->centralWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(area); scroll && scroll->widget())
            scroll->widget()->setMinimumSize(designed.width(), designed.height() - menuHeight);
    }
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    window->setMinimumSize(0, 0);
    window->setMaximumSize(designed);
    window->resize(windowSize(designedOuter, frame, available));
    Look::centreOnScreen(window, window->size() + frame);
}

void WindowFit::focus(QWidget *control)
{
    if (!control)
        return;
    control->setFocus(Qt::OtherFocusReason);
    for (QWidget *w = control->parentWidget(); w; w = w->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(w)) {
            scroll->ensureWidgetVisible(control);
            return;
        }
    }
}
