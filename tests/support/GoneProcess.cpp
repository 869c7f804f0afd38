// SPDX-License-Identifier: GPL-3.0-or-later
#include "GoneProcess.h"

#include <QProcess>

qint64 GoneProcess::id()
{
    QProcess process;
    process.start(QStringLiteral("true"));
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}
