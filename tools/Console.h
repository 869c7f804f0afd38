// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The terminal of the administration tool: texts go out as UTF-8 whatever the
// locale, raw bytes unchanged unless a terminal shows them. Texts hold what
// students wrote (names, a lock's holder, log lines), and a control
// character there would steer the teacher's terminal: every one but the
// line end and the tab is shown as "\xHH".
class Console
{
public:
    static const char *const ProgramName;

    static void out(const QString &line);
    static void outBytes(const QByteArray &bytes);
    // A message on stderr, after the program's name.
    static void error(const QString &message);
    static void warning(const QString &message);

    // The text with its control characters shown escaped.
    static QString inert(const QString &text);
};
