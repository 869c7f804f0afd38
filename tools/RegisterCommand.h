// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// register NAME [PASSWORD] [--dir DIR]: the login panel's registration, with
// the same refusals. A password left off is typed unseen; with --roster the
// whole class at once (RosterCommand).
class RegisterCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
