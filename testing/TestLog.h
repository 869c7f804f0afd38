// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>

// The log of finished test runs: one line per run, appended to the file named
// by the administrator settings.
class TestLog
{
public:
    // user " | " time " | " date " | " test " | " grade, CR LF; the time in the
    // platform's long time format, the date in its short date format.
    static QByteArray line(const QByteArray &user, const QDateTime &when,
                           const QByteArray &testName, int grade);

    // Creates the file when it is missing, then appends the line. The name is
    // used as stored; a relative one resolves against the working directory.
    // A file that cannot be created or appended to throws the runtime's
    // input/output error; a name outside the course folder is refused with
    // AdminSettings::logNameOutsideText.
    static void append(const QByteArray &logName, const QByteArray &line);
};
