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

const char *const ShowCommand::Synopsis = "show FILE [--source]";

QString ShowCommand::summary()
{
    return QStringLiteral("показать тест FILE расшифрованным; с --source вывести текст вопросов "
                          "в Windows-1251, из которого convert соберёт тот же тест");
}

int ShowCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {}, {QStringLiteral("--source")}, 1);
    const QFileInfo info(arguments.positional().at(0));
    // A read of a missing file would give the missing-value marker everywhere.
    if (!info.isFile() || !info.isReadable())
        throw IoError::inOut(info.absoluteFilePath(),
                             TextFile::diagnose(info.absoluteFilePath(), false));
    const QByteArray name = WorkingFolder::storedName(info.fileName());
    WorkingFolder::enter(info.absolutePath());
    const TestFile file = TestFile::readWhole('\\' + name);

    if (arguments.has(QStringLiteral("--source"))) {
        const SourceExport::Result result =
            SourceExport::build(file, SourceExport::Mode::Conversion);
        if (!result.problems.isEmpty()) {
            for (const QString &problem : result.problems)
                Console::error(problem);
            Console::error(QStringLiteral("тест нельзя записать текстом вопросов без потерь"));
            return 1;
        }
        Console::outBytes(SourceExport::join(result.lines));
        return 0;
    }

    const SourceExport::Result result = SourceExport::build(file, SourceExport::Mode::Reading);
    for (const QByteArray &line : result.lines)
        Console::out(CodePage::toUnicode(line));
    for (const QString &problem : result.problems)
        Console::warning(problem);
    return 0;
}
