// SPDX-License-Identifier: GPL-3.0-or-later
#include "RestoreCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "WorkingFolder.h"

const char *const RestoreCommand::Synopsis = "restore NAME [--dir DIR]";

QString RestoreCommand::summary()
{
    return QStringLiteral("вернуть удалённого пользователя с паролем и оценками из "
                          "DIR/removed-users.ini (последнее удаление этого имени)");
}

int RestoreCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 1);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    const QByteArray adminLogin = WorkingFolder::adminLogin(*store);
    const UserChange result = store->restore(name, adminLogin);
    if (!result.ok()) {
        Console::error(CodePage::toUnicode(store->problemText(result, name)));
        return 1;
    }
    Console::out(
        QStringLiteral("Пользователь %1 восстановлен.").arg(CodePage::toUnicode(result.name)));
    return 0;
}
