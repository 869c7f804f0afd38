// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// archive DEST [--dir DIR]: the year's records of the class copied into DEST
// with the class report, then emptied in the class folder for a new year.
class ArchiveCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
