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
};
