// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// convert SOURCE NAME [--into DIR] [--force]: the authoring window's first
// conversion of a program run, into DIR (the current directory by default) +
// "\" + NAME + ".ini". A source with errors is refused unless forced, so a
// broken test never replaces a working one.
class ConvertCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    // The question source format, for convert --help.
    static QString details();
    static int run(const QStringList &args);
};
