// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportCommand.h"

#include "AdminLogin.h"
#include "BankFindings.h"
#include "BankFormat.h"
#include "BankText.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IoError.h"
#include "SourceWriter.h"
#include "TextFile.h"

#include <QFileInfo>

const char *const ImportCommand::Synopsis = "import FORMAT FILE [--out SOURCE]";

QString ImportCommand::summary()
{
    return QStringLiteral("перенести вопросы из файла FILE в формате aiken, gift или moodle-xml "
                          "в текст вопросов для convert (в SOURCE или на стандартный вывод)");
}

int ImportCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--out")}, {}, 2);
    AdminLogin::check();
    const BankFormat::Format format = BankFindings::formatArgument(arguments.positional().at(0));

    const QFileInfo input(arguments.positional().at(1));
    if (input.isFile() && input.size() > BankText::MaxSize) {
        Console::error(QStringLiteral("файл %1 больше %2 МБ; такой файл не читается")
                           .arg(input.filePath())
                           .arg(BankText::MaxSize / (1024 * 1024)));
        return 1;
    }
    QuestionBank bank = BankFormat::read(format, TextFile::read(input.absoluteFilePath()));
    if (!bank.refusal.isEmpty()) {
        Console::error(bank.refusal);
        return 1;
    }
    const QByteArray source = SourceWriter::write(bank.questions);

    const QString out = arguments.value(QStringLiteral("--out"));
    if (out.isEmpty())
        Console::outBytes(source);
    else
        TextFile::replace(QFileInfo(out).absoluteFilePath(), source);

    const BankFindings::Counts counts = BankFindings::report(bank);
    Console::warning(QStringLiteral("%1 questions imported, %2 skipped")
                         .arg(counts.carried)
                         .arg(counts.skipped));
    return counts.whole ? 0 : 1;
}
