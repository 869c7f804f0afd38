// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExportCommand.h"

#include "BankFindings.h"
#include "BankFormat.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IoError.h"
#include "TestBank.h"
#include "TestFile.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#include <QFileInfo>

const char *const ExportCommand::Synopsis = "export FORMAT FILE [--out OUT]";

QString ExportCommand::summary()
{
    return QStringLiteral("записать тест FILE в формате aiken, gift или moodle-xml (UTF-8) "
                          "в OUT или на стандартный вывод");
}

int ExportCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--out")}, {}, 2);
    const BankFormat::Format format = BankFindings::formatArgument(arguments.positional().at(0));

    const QFileInfo info(arguments.positional().at(1));
    // A read of a missing file would give the missing-value marker everywhere.
    if (!info.isFile() || !info.isReadable())
        throw IoError::inOut(info.absoluteFilePath(),
                             TextFile::diagnose(info.absoluteFilePath(), false));
    const QString out = arguments.value(QStringLiteral("--out"));
    const QString outPath = out.isEmpty() ? QString() : QFileInfo(out).absoluteFilePath();

    const QByteArray stored = WorkingFolder::storedName(info.fileName());
    WorkingFolder::enter(info.absolutePath());
    QuestionBank bank;
    bank.questions = TestBank::fromTest(TestFile::readWhole('\\' + stored));
    const QByteArray written = BankFormat::write(format, bank.questions);

    if (outPath.isEmpty())
        Console::outBytes(written);
    else
        TextFile::replace(outPath, written);

    const BankFindings::Counts counts = BankFindings::report(bank);
    Console::warning(QStringLiteral("%1 questions exported, %2 skipped")
                         .arg(counts.carried)
                         .arg(counts.skipped));
    return counts.whole ? 0 : 1;
}
