// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The platform's long time and short date formats, as the test log writes
// them. The long time format is taken without its time zone.
class DateTimeFormat
{
public:
    static QString longTime(const QTime &time, const QLocale &system = QLocale::system());
    static QString shortDate(const QDate &date, const QLocale &system = QLocale::system());

    // The locale whose formats the log takes: the system's, unless it names
    // no language (C or POSIX, as on a freshly installed machine or under a
    // service), where English month names would stand in a Russian log and
    // the program's own language takes its place.
    static QLocale logLocale(const QLocale &system);
};
