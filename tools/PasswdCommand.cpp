// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswdCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "PasswordPrompt.h"
#include "WorkingFolder.h"

const char *const PasswdCommand::Synopsis = "passwd NAME [--dir DIR]";

QString PasswdCommand::summary()
{
    return QStringLiteral("задать пользователю новый пароль (имя без учёта регистра букв); "
                          "оценки остаются; пароль вводится с терминала без отображения или "
                          "читается из первой строки стандартного ввода");
}

int PasswdCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 1);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    const QString typed = PasswordPrompt::read(QStringLiteral("Новый пароль: "));
    const UserChange result = store->setTypedPassword(name, typed);
    if (!result.ok()) {
        Console::error(CodePage::toUnicode(store->problemText(result, name)));
        return 1;
    }
    Console::out(
        QStringLiteral("Пароль пользователя %1 изменён.").arg(CodePage::toUnicode(result.name)));
    return 0;
}
