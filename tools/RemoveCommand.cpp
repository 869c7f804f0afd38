#include "RemoveCommand.h"

#include "Accounts.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IniProfile.h"
#include "Paths.h"
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
    if (!dir.isEmpty())
        WorkingFolder::enter(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    if (!IniProfile::hasSection(Paths::resolve(Accounts::UsersIni), name)) {
        Console::error(
            QStringLiteral("пользователь %1 не зарегистрирован").arg(CodePage::toUnicode(name)));
        return 1;
    }
    Accounts::removeUser(name);
    Console::out(QStringLiteral("Пользователь %1 удален.").arg(CodePage::toUnicode(name)));
    return 0;
}
