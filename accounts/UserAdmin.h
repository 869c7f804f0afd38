// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Accounts.h"
#include "UserChange.h"

#include <QByteArray>
#include <QString>

// What the administrator does to a registered user without touching the
// grades: a new password, a new name (the test log and the answer record
// follow it), and bringing back a removed user from removed-users.ini. Every
// change goes under the locks of the files it touches, users.ini first, and
// checks before the first write that each of them can be written.
class UserAdmin
{
public:
    using Problem = UserChange::Problem;
    using Result = UserChange;
    using Over = UserChange::Over;

    static Result setPassword(const QByteArray &name, const QByteArray &password);

    // The new name is checked as a registration checks it, except that a
    // user may take another letter case of the same name.
    static Result rename(const QByteArray &from, const QByteArray &to, const QByteArray &adminLogin,
                         const QByteArray &logName);

    // The section removed under the name goes back to the end of users.ini
    // byte for byte, and the name back into the list. Where several were
    // kept, `removed` picks one by the start of its removal's date and time
    // ("2026-12-01" or "2026-12-01 10:15:00"); none is ever picked silently.
    // Refused where the name is the administrator's, and where it is
    // registered again unless `over` says what to do.
    static Result restore(const QByteArray &name, const QByteArray &adminLogin,
                          const QByteArray &removed = QByteArray(), Over over = Over::Ask);
};
