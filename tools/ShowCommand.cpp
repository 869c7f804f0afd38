// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShowCommand.h"

#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IoError.h"
#include "SourceExport.h"
#include "TestFile.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#include <QFileInfo>

const char *const ShowCommand::Synopsis = "show FILE [--source [--cp1251]]";

QString ShowCommand::summary()
{
    return QStringLiteral("показать тест FILE расшифрованным; с --source вывести текст вопросов "
                          "в UTF-8 (с --cp1251 в Windows-1251), из которого convert соберёт тот "
                          "же тест байт в байт");
}

int ShowCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {},
                                     {QStringLiteral("--source"), QStringLiteral("--cp1251")}, 1);
    const bool asSource = arguments.has(QStringLiteral("--source"));
    if (arguments.has(QStringLiteral("--cp1251")) && !asSource)
        throw CommandArguments::UsageError(
            QStringLiteral("параметр --cp1251 действует только вместе с --source"));
    const QFileInfo info(arguments.positional().at(0));
    // A read of a missing file would give the missing-value marker everywhere.
    if (!info.isFile() || !info.isReadable())
        throw IoError::inOut(info.absoluteFilePath(),
                             TextFile::diagnose(info.absoluteFilePath(), false));
    const QByteArray name = WorkingFolder::storedName(info.fileName());
    WorkingFolder::enter(info.absolutePath());
    const TestFile file = TestFile::readWhole('\\' + name);

    if (asSource) {
        const bool utf8 = !arguments.has(QStringLiteral("--cp1251"));
        const SourceExport::Result result =
            SourceExport::build(file, SourceExport::Mode::Conversion);
        QStringList problems = result.problems;
        const QByteArray text = SourceExport::join(result.lines);
        if (utf8 && CodePage::fromUnicode(CodePage::toUnicode(text)) != text)
            problems.append(QStringLiteral("в тесте есть байт, которого нет в Windows-1251 как "
                                           "знака; выведите текст с параметром --cp1251"));
        if (!problems.isEmpty()) {
            for (const QString &problem : problems)
                Console::error(problem);
            Console::error(QStringLiteral("тест нельзя записать текстом вопросов без потерь"));
            return 1;
        }
        Console::outBytes(utf8 ? CodePage::toUnicode(text).toUtf8() : text);
        return 0;
    }

    const SourceExport::Result result = SourceExport::build(file, SourceExport::Mode::Reading);
    for (const QByteArray &line : result.lines)
        Console::out(CodePage::toUnicode(line));
    for (const QString &problem : result.problems)
        Console::warning(problem);
    return 0;
}
