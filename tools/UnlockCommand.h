// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// unlock [--dir DIR] [--force]: lists the locks and side files left in the
// class folder, with who holds each lock and since when; --force removes
// them. A lock of a copy still running goes too: the teacher decides.
class UnlockCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
