// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;
class Session;

// The login panel's removal as the window carries it out: a wrong name or
// password is refused, then the question names the user and how many grades
// go with them, and a removal that went through says so. The session does
// the work; this only asks and tells.
class UserRemoval
{
public:
    static void run(QWidget *window, Session &session, const QString &name,
                    const QString &password);
};
