// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

class ClassReport;

// The report as one page a teacher reads and prints: the class table, a
// chart of grades for each test taken, the runs per day, and what could not
// be read. UTF-8, no scripts, no files beside it: the charts are inline SVG.
// The markup is well-formed XML as well, so a program can read its tables.
class ReportHtml
{
public:
    // The fill of a grade's bar, 1 … 5, and of the bars of runs over time.
    static QString gradeColor(int grade);
    static const QString DayColor;

    // Longest span drawn day by day; a longer log is drawn by months.
    static constexpr int MostDays = 180;

    static QByteArray write(const ClassReport &report, const QDateTime &made);
};
