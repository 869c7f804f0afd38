// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// rename OLD NEW [--dir DIR]: a user's name corrected, the grades, the test
// log's lines and the answer record's lines going with it.
class RenameCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
