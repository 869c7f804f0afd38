// SPDX-License-Identifier: GPL-3.0-or-later
#include "RemoveCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "WorkingFolder.h"

const char *const RemoveCommand::Synopsis = "remove NAME [--dir DIR]";

QString RemoveCommand::summary()
{
    return QStringLiteral("удалить пользователя из DIR/users.ini и DIR/users (имя без учета "
                          "регистра букв)");
}

int RemoveCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 1);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    // A name the list holds without a record (as `users` reports it) is
    // removed from the list all the same.
    if (!store->isRegistered(name) && !store->isListed(name)) {
        Console::error(
            QStringLiteral("пользователь %1 не зарегистрирован").arg(CodePage::toUnicode(name)));
        return 1;
    }
    store->removeUser(name);
    Console::out(QStringLiteral("Пользователь %1 удален.").arg(CodePage::toUnicode(name)));
    return 0;
}
