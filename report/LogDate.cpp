// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogDate.h"

#include "DateTimeFormat.h"

#include <QLocale>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// The year mark of the Russian long-ish short formats, "г." or "г", in
// Windows-1251.
QByteArrayView withoutYearMark(QByteArrayView text)
{
    if (text.endsWith('.') && text.size() >= 2 && text[text.size() - 2] == '\xE3')
        text.chop(2);
    else if (text.endsWith('\xE3'))
        text.chop(1);
    return trimmed(text);
}

bool systemPutsMonthFirst()
{
    static const bool monthFirst = [] {
        const QString format =
            DateTimeFormat::logLocale(QLocale::system()).dateFormat(QLocale::ShortFormat);
        const qsizetype month = format.indexOf(QLatin1Char('M'));
        const qsizetype day = format.indexOf(QLatin1Char('d'));
        return month >= 0 && day >= 0 && month < day;
    }();
    return monthFirst;
}

struct Number
{
    int value = 0;
    int digits = 0;
};

// Reads digits at pos, at most four of them.
bool readNumber(QByteArrayView text, qsizetype &pos, Number &number)
{
    number = {};
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (++number.digits > 4)
            return false;
        number.value = number.value * 10 + (text[pos] - '0');
        ++pos;
    }
    return number.digits > 0;
}

} // namespace

QDate LogDate::parse(QByteArrayView text)
{
    text = withoutYearMark(trimmed(text));
    Number n[3];
    char separator = 0;
    qsizetype pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size())
                return {};
            const char c = text[pos++];
            if (c != '.' && c != '/' && c != '-')
                return {};
            if (separator && c != separator)
                return {};
            separator = c;
        }
        if (!readNumber(text, pos, n[i]))
            return {};
    }
    if (pos != text.size())
        return {};

    if (n[0].digits == 4)
        return n[1].digits <= 2 && n[2].digits <= 2 ? QDate(n[0].value, n[1].value, n[2].value)
                                                    : QDate();
    if (n[0].digits > 2 || n[1].digits > 2 || (n[2].digits != 2 && n[2].digits != 4))
        return {};
    const int year = n[2].digits == 2 ? 2000 + n[2].value : n[2].value;
    const QDate dayFirst(year, n[1].value, n[0].value);
    if (separator != '/')
        return dayFirst;
    const QDate monthFirst(year, n[0].value, n[1].value);
    if (systemPutsMonthFirst())
        return monthFirst.isValid() ? monthFirst : dayFirst;
    return dayFirst.isValid() ? dayFirst : monthFirst;
}

QTime LogDate::parseTime(QByteArrayView text)
{
    text = trimmed(text);
    qsizetype pos = 0;
    Number parts[3];
    int count = 0;
    char separator = 0;
    while (count < 3 && readNumber(text, pos, parts[count])) {
        ++count;
        if (pos >= text.size() || (text[pos] != ':' && text[pos] != '.'))
            break;
        if (separator != 0 && text[pos] != separator)
            return QTime();
        separator = text[pos++];
    }
    if (count < 2)
        return QTime();
    int hour = parts[0].value;
    const QByteArrayView mark = trimmed(text.sliced(pos));
    if (!mark.isEmpty()) {
        const char first = mark.front();
        const bool pm = first == 'P' || first == 'p';
        if ((!pm && first != 'A' && first != 'a') || hour < 1 || hour > 12)
            return QTime();
        hour = hour % 12 + (pm ? 12 : 0);
    }
    return QTime(hour, parts[1].value, count == 3 ? parts[2].value : 0);
}

QString LogDate::show(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}
