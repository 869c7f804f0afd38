// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// check SOURCE: what a conversion of the source would carry over, lose or
// misread. Exit status 0 when there is no error, remarks or not: the
// sources convert will take.
class CheckCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
