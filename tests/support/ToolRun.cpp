// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolRun.h"

#include <QProcess>

ToolRun ToolRun::run(const QString &program, const QStringList &args,
                     const QString &workingDirectory, int timeoutMs, const QByteArray &input)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    // A program that reads its input must not wait for more than it is given.
    process.write(input);
    process.closeWriteChannel();
    ToolRun result;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
