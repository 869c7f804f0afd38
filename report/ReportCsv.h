// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class ClassReport;

// The class as a table for spreadsheets: UTF-8 with a byte-order mark, ";"
// between fields, CR LF after every row, a field quoted (its quotes doubled)
// when it holds ";", a quote or a line end, and a quote put before a field
// a spreadsheet would take for a formula (one beginning with "=", "+", "-",
// "@", a tab or CR). A header row, then one row per
// user in the order of the list file: the name, the grades of the course's
// tests in its order (empty where the test was not taken, or the grade is
// missing or no grade), the runs of each of them in the log, the date of the
// user's last log line (empty if none).
class ReportCsv
{
public:
    static QByteArray write(const ClassReport &report);

    static QString field(const QString &text);
    // One row of fields in that form, for every table the report writes.
    static void appendRow(QByteArray &out, const QStringList &fields);
};
