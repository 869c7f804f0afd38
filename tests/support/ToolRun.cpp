#include "ToolRun.h"

#include <QProcess>

ToolRun ToolRun::run(const QString &program, const QStringList &args,
                     const QString &workingDirectory, int timeoutMs)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    ToolRun result;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
