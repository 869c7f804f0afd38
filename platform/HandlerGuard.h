// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The edge of every event handler: an unforeseen failure raised inside the
// handler ends the handler there and is shown in the default error box with
// its message; the program carries on. No exception reaches the event loop.
class HandlerGuard
{
public:
    // Returns false when the handler was abandoned by a failure.
    static bool run(QWidget *parent, const std::function<void()> &handler);

    static void showError(QWidget *parent, const QString &message);

    // The error box's caption, the course title like every other box of the
    // program; until set, the application's name.
    static void setCaption(const QString &caption);
    static QString caption();
};
