// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsersCommand.h"

#include "ClassRecords.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "SuspiciousRecords.h"
#include "TestLogReader.h"
#include "WorkingFolder.h"

namespace {

bool containsIgnoringCase(const QList<QByteArray> &names, const QByteArray &name)
{
    for (const QByteArray &n : names) {
        if (CodePage::equalsIgnoreCase(n, name))
            return true;
    }
    return false;
}

} // namespace

const char *const UsersCommand::Synopsis = "users [--dir DIR]";

QString UsersCommand::summary()
{
    return QStringLiteral("показать оценки всех пользователей из DIR/users.ini и сверить их "
                          "со списком DIR/users");
}

int UsersCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 0);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);

    QList<QByteArray> sections;
    for (const ClassStore::StoredUser &user : store->userRecords()) {
        sections.append(user.name);
        QStringList row{CodePage::toUnicode(user.name)};
        for (const QByteArray &grade : user.grades)
            row.append(grade == store->missing() ? QStringLiteral("-")
                                                 : CodePage::toUnicode(grade));
        Console::out(row.join(QLatin1Char('\t')));
    }

    QList<QByteArray> listed;
    for (const QByteArray &name : store->users()) {
        if (!name.isEmpty())
            listed.append(name);
    }
    for (const QByteArray &name : listed) {
        if (!containsIgnoringCase(sections, name))
            Console::warning(QStringLiteral("в списке users, но нет раздела в users.ini: %1")
                                 .arg(CodePage::toUnicode(name)));
    }
    for (const QByteArray &section : sections) {
        if (!containsIgnoringCase(listed, section))
            Console::warning(QStringLiteral("раздел users.ini, которого нет в списке users: %1")
                                 .arg(CodePage::toUnicode(section)));
    }
    const ClassRecords records = ClassRecords::read(*store);
    const SuspiciousRecords suspicious =
        SuspiciousRecords::read(*store, records, TestLogReader::read(*store));
    if (!suspicious.findings.isEmpty()) {
        Console::warning(SuspiciousRecords::Title + QLatin1Char(':'));
        for (const SuspiciousRecords::Finding &f : suspicious.findings)
            Console::warning(f.text);
    }
    return 0;
}
