// SPDX-License-Identifier: GPL-3.0-or-later
#include "RestoreCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "WorkingFolder.h"

const char *const RestoreCommand::Synopsis =
    "restore NAME [--date WHEN] [--replace|--keep-best] [--dir DIR]";
const char *const RestoreCommand::ListSynopsis = "restore --list NAME [--dir DIR]";

QString RestoreCommand::summary()
{
    return QStringLiteral("вернуть удалённого пользователя с паролем и оценками из "
                          "DIR/removed-users.ini; из нескольких удалений --date выбирает одно; "
                          "если имя зарегистрировано снова: --replace или --keep-best");
}

QString RestoreCommand::listSummary()
{
    return QStringLiteral("показать все сохранённые удаления имени с датами и оценками");
}

int RestoreCommand::run(const QStringList &args)
{
    const CommandArguments arguments(
        args, {QStringLiteral("--dir"), QStringLiteral("--date")},
        {QStringLiteral("--list"), QStringLiteral("--replace"), QStringLiteral("--keep-best")}, 1);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    if (arguments.has(QStringLiteral("--list"))) {
        const QList<ClassStore::Removal> kept = store->removals(name);
        if (kept.isEmpty()) {
            Console::error(CodePage::toUnicode(
                store->problemText(UserChange::failed(UserChange::Problem::NothingKept), name)));
            return 1;
        }
        for (const ClassStore::Removal &k : kept) {
            QStringList grades;
            for (int g : k.grades)
                grades.append(g ? QString::number(g) : QStringLiteral("-"));
            Console::out(QStringLiteral("удалён %1\tоценки %2")
                             .arg(QString::fromLatin1(k.whenText()), grades.join(u' ')));
        }
        return 0;
    }
    if (arguments.has(QStringLiteral("--replace")) &&
        arguments.has(QStringLiteral("--keep-best"))) {
        Console::error(QStringLiteral("--replace и --keep-best вместе не применяются."));
        return 1;
    }
    const UserChange::Over over =
        arguments.has(QStringLiteral("--replace"))     ? UserChange::Over::Replace
        : arguments.has(QStringLiteral("--keep-best")) ? UserChange::Over::KeepBest
                                                       : UserChange::Over::Ask;
    const QByteArray adminLogin = WorkingFolder::adminLogin(*store);
    const UserChange result = store->restore(
        name, adminLogin, arguments.value(QStringLiteral("--date")).toLatin1(), over);
    if (!result.ok()) {
        Console::error(CodePage::toUnicode(store->problemText(result, name)));
        return 1;
    }
    Console::out(
        QStringLiteral("Пользователь %1 восстановлен.").arg(CodePage::toUnicode(result.name)));
    return 0;
}
