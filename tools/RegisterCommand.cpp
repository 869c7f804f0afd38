// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegisterCommand.h"

#include "AdminLogin.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "PasswordPrompt.h"
#include "RosterCommand.h"
#include "WorkingFolder.h"

const char *const RegisterCommand::Synopsis = "register NAME [PASSWORD] [--dir DIR]";

QString RegisterCommand::summary()
{
    return QStringLiteral("зарегистрировать пользователя в DIR/users.ini и DIR/users, как это "
                          "делает кнопка \"Новый пользователь\"; без PASSWORD пароль вводится "
                          "с терминала без отображения или читается из стандартного ввода");
}

int RegisterCommand::run(const QStringList &args)
{
    // A class registered from a list is the administrator's work.
    if (RosterCommand::wanted(args)) {
        AdminLogin::require(QStringLiteral("register"));
        return RosterCommand::run(args);
    }
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 1, 2);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QString name = arguments.positional().at(0);
    const QString password = arguments.positional().size() > 1
                                 ? arguments.positional().at(1)
                                 : PasswordPrompt::read(QStringLiteral("Пароль: "));
    const QByteArray adminLogin = WorkingFolder::adminLogin(*store);
    const Refusal refusal = store->registerTyped(name, password, adminLogin).refusal;
    if (refusal != Refusal::None) {
        Console::error(CodePage::toUnicode(store->refusalText(refusal)));
        return 1;
    }
    Console::out(QStringLiteral("Пользователь %1 зарегистрирован.").arg(name));
    return 0;
}
