// SPDX-License-Identifier: GPL-3.0-or-later
#include "RemoveCommand.h"

#include "Accounts.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IniProfile.h"
#include "Paths.h"
#include "UserList.h"
#include "WorkingFolder.h"

#include <algorithm>

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
    WorkingFolder::enterClassFolder(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    // A name the list holds without a record (as `users` reports it) is
    // removed from the list all the same.
    const auto listed = [&name] {
        if (!UserList::exists())
            return false;
        const QList<QByteArray> names = UserList::load();
        return std::any_of(names.begin(), names.end(), [&name](const QByteArray &listedName) {
            return CodePage::equalsIgnoreCase(listedName, name);
        });
    };
    if (!IniProfile::hasSection(Paths::resolve(Accounts::UsersIni), name) && !listed()) {
        Console::error(
            QStringLiteral("пользователь %1 не зарегистрирован").arg(CodePage::toUnicode(name)));
        return 1;
    }
    Accounts::removeUser(name);
    Console::out(QStringLiteral("Пользователь %1 удален.").arg(CodePage::toUnicode(name)));
    return 0;
}
