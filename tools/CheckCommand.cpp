// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckCommand.h"

#include "CommandArguments.h"
#include "Console.h"
#include "SourceChecker.h"

#include <QFileInfo>

const char *const CheckCommand::Synopsis = "check SOURCE";

QString CheckCommand::summary()
{
    return QStringLiteral("проверить текст вопросов SOURCE: код выхода 0, если в нём нет ошибок "
                          "(замечания не мешают)");
}

int CheckCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {}, {}, 1);
    const SourceChecker::Report report = SourceChecker::checkFile(arguments.positional().at(0));

    for (const SourceChecker::Finding &f : report.findings)
        Console::out(SourceChecker::entry(f));
    if (report.closingLine > 0)
        Console::out(QStringLiteral("строка %1: завершающая строка вопроса, в тесте не задаётся")
                         .arg(report.closingLine));

    Console::out(QStringLiteral("Строк вопросов: %1, вопросов в тесте: %2.")
                     .arg(report.questionLines)
                     .arg(report.questionLines - 1));
    if (report.clean()) {
        Console::out(QStringLiteral("Замечаний нет."));
        return 0;
    }
    const int errors = report.errorCount();
    Console::out(QStringLiteral("Ошибок: %1, замечаний: %2.")
                     .arg(errors)
                     .arg(report.findings.size() - errors));
    return errors > 0 ? 1 : 0;
}
