// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateTimeFormat.h"

QLocale DateTimeFormat::logLocale(const QLocale &system)
{
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Russian, QLocale::Russia);
    return system;
}

QString DateTimeFormat::longTime(const QTime &time, const QLocale &system)
{
    const QLocale locale = logLocale(system);
    QString format = locale.timeFormat(QLocale::LongFormat);
    // The zone letters stand alone or with a blank before them.
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    return locale.toString(time, format);
}

QString DateTimeFormat::shortDate(const QDate &date, const QLocale &system)
{
    return logLocale(system).toString(date, QLocale::ShortFormat);
}
