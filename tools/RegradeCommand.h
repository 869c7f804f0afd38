// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// regrade testN [--dry-run] [--dir DIR]: every recorded run of the test
// graded again by the test's current key, each changed grade listed, and
// without --dry-run recorded and stored (GradeChanges).
class RegradeCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
