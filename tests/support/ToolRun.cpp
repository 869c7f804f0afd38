// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// The administrator's login of the class folder the command names (--dir,
// else the folder it runs in), from its settings, in a file only the owner
// reads; nothing when the folder has no settings.
QStringList loginArguments(const QStringList &args, const QString &workingDirectory,
                           const QTemporaryDir &keep)
{
    QString given;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--dir"))
            given = args.value(i + 1);
        else if (args[i].startsWith(QLatin1String("--dir=")))
            given = args[i].mid(6);
    }
    // Without --dir the lab's class folder, where one is set, as the tool takes it.
    if (given.isEmpty())
        given = QSettings(QSettings::SystemScope, QStringLiteral("coursebook"),
                          QStringLiteral("coursebook"))
                    .value(QStringLiteral("ClassFolder"))
                    .toString();
    const QString folder = QDir(workingDirectory).absoluteFilePath(given);
    QFile settings(QDir(folder).filePath(QStringLiteral("data/info/tumb.db")));
    if (!keep.isValid() || args.contains(QStringLiteral("--admin-login")) ||
        !settings.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = settings.readLine().trimmed().split('|');
    QFile login(keep.filePath(QStringLiteral("login")));
    if (!login.open(QIODevice::WriteOnly) ||
        login.write(fields.value(0) + '\n' + fields.value(1) + '\n') < 0 ||
        !login.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return {};
    return {QStringLiteral("--admin-login"), login.fileName()};
}

} // namespace

ToolRun ToolRun::run(const QString &program, const QStringList &args,
                     const QString &workingDirectory, int timeoutMs, const QByteArray &input)
{
    const QTemporaryDir keep;
    // After the command's name, where the tool takes the command's options.
    QStringList given = args;
    const QStringList login = loginArguments(args, workingDirectory, keep);
    if (!given.isEmpty() && !login.isEmpty())
        given = given.mid(0, 1) + login + given.mid(1);
    return runUnlogged(program, given, workingDirectory, timeoutMs, input);
}

ToolRun ToolRun::runUnlogged(const QString &program, const QStringList &args,
                             const QString &workingDirectory, int timeoutMs,
                             const QByteArray &input)
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
