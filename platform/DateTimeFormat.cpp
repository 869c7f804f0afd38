#include "DateTimeFormat.h"

#include <QLocale>

QString DateTimeFormat::longTime(const QTime &time)
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    // The zone letters stand alone or with a blank before them.
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    return QLocale::system().toString(time, format);
}

QString DateTimeFormat::shortDate(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}
