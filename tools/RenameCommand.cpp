// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenameCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "RuntimeError.h"
#include "WorkingFolder.h"

const char *const RenameCommand::Synopsis = "rename OLD NEW [--dir DIR]";

QString RenameCommand::summary()
{
    return QStringLiteral("переименовать пользователя OLD (без учёта регистра букв) в NEW вместе "
                          "с оценками, его строками журнала тестирования и записью ответов");
}

int RenameCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 2);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QByteArray from = WorkingFolder::storedName(arguments.positional().at(0));
    const QString typedTo = arguments.positional().at(1);
    if (const Refusal refusal = ClassStore::spellingRefusal(typedTo, QString());
        refusal != Refusal::None) {
        Console::error(CodePage::toUnicode(store->refusalText(refusal)));
        return 1;
    }
    // Without the settings neither the administrator's name nor the log is
    // known: renaming then would leave the log's lines behind.
    const ClassSettings settings = store->readSettings();
    const UserChange result = store->renameTyped(from, typedTo, settings.login);
    if (!result.ok()) {
        Console::error(CodePage::toUnicode(store->problemText(result, from)));
        return 1;
    }
    Console::out(QStringLiteral("Пользователь %1 переименован в %2; строк журнала: %3, записей "
                                "ответов: %4.")
                     .arg(CodePage::toUnicode(result.name), typedTo)
                     .arg(result.logLines)
                     .arg(result.answerLines));
    return 0;
}
