// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A command-line program run to its end in a folder, as the tool tests start
// the administrator's tool, with what it printed.
struct ToolRun
{
    int exitCode = -1; // -1 when it did not end by itself in time
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }

    // As the administrator of the class folder the command works in, whose
    // login its settings hold (given with --admin-login before the command).
    static ToolRun run(const QString &program, const QStringList &args,
                       const QString &workingDirectory, int timeoutMs,
                       const QByteArray &input = QByteArray());
    // As anybody, with no login given.
    static ToolRun runUnlogged(const QString &program, const QStringList &args,
                               const QString &workingDirectory, int timeoutMs,
                               const QByteArray &input = QByteArray());
};
