#pragma once

#include <QDateTime>
#include <QString>

// The platform's long time and short date formats, as the test log writes
// them. The long time format is taken without its time zone.
class DateTimeFormat
{
public:
    static QString longTime(const QTime &time);
    static QString shortDate(const QDate &date);
};
