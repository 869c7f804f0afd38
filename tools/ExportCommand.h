// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// export FORMAT FILE [--out OUT]: a test file, read once, written as a bank in
// Aiken, GIFT or the quiz XML format (UTF-8), questions 1 … vsego with the
// right answers marked, to OUT or to standard output. Standard error gets one
// finding per question the format cannot keep whole and a summary; the exit
// status is 0 only when every question was kept whole.
class ExportCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
