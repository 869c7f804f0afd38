// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QTime>

// The date field of a test-log line, written in the short date format of
// whichever machine ran the test: "08.12.2026" on a Russian desktop, "12/8/26"
// where the format puts the month first, "2026-12-08" elsewhere.
class LogDate
{
public:
    // An invalid date when the text is none of the forms it knows: three
    // numbers joined by one separator (".", "/" or "-"), an optional "г." after
    // them. A four-digit first number is the year (year, month, day); otherwise
    // the year comes last, two digits meaning 20yy. Dots and dashes put the day
    // first; slashes follow the short format this machine's log is written in unless that gives no
    // date and the other order does ("25/3/26" is the 25th anywhere).
    static QDate parse(QByteArrayView text);

    // The time field of a line, in the long time format of the machine that
    // wrote it: hours, minutes and seconds joined by ":" (or "."), "AM" or
    // "PM" after them where the format has them. An invalid time otherwise.
    static QTime parseTime(QByteArrayView text);

    // "dd.MM.yyyy", the form a Russian spreadsheet reads as a date.
    static QString show(const QDate &date);
};
