// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// grade NAME testN G --reason TEXT [--dir DIR]: a grade set by hand, with the
// teacher's reason in the record of changes (GradeChanges::setGrade).
class GradeCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
