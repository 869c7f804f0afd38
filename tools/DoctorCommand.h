// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// doctor [--dir DIR]: the class folder checked before the first lesson
// (ClassFolderCheck), or the class's results server (ServerCheck), one line a
// finding; exit 0 when it is ready, 1 when not.
class DoctorCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
