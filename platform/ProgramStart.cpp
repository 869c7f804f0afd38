// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramStart.h"

#include "Paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString ShowSwitch = QStringLiteral(" /s ");

bool startSilently(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace

ProgramStart::CommandLine ProgramStart::split(const QString &commandLine)
{
    CommandLine result;
    const qsizetype at = commandLine.indexOf(ShowSwitch);
    if (at < 0) {
        result.program = commandLine.trimmed();
        return result;
    }
    result.program = commandLine.left(at);
    result.document = commandLine.mid(at + ShowSwitch.size());
    result.arguments = {QStringLiteral("/s"), result.document};
    return result;
}

void ProgramStart::start(const QString &commandLine)
{
    const CommandLine line = split(commandLine);
    const QFileInfo program(QDir::fromNativeSeparators(line.program));
    if (!line.program.isEmpty() && program.isAbsolute() && program.isFile() &&
        program.isExecutable()) {
        startSilently(program.filePath(), line.arguments);
        return;
    }
    if (line.document.isEmpty())
        return;
    const QString document = Paths::resolve(line.document);
    if (!QFileInfo(document).isFile())
        return;
    for (const QString &name : {QStringLiteral("soffice"), QStringLiteral("libreoffice")}) {
        const QString office = QStandardPaths::findExecutable(name);
        if (!office.isEmpty()) {
            startSilently(office, {QStringLiteral("--show"), document});
            return;
        }
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(document));
}

bool ProgramStart::runsAsSuperuser()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}
