// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsersCommand.h"

#include "Accounts.h"
#include "ClassRecords.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "IniSections.h"
#include "Paths.h"
#include "Store.h"
#include "SuspiciousRecords.h"
#include "TestLogReader.h"
#include "UserList.h"
#include "WorkingFolder.h"

#include <QFileInfo>

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
    WorkingFolder::enterClassFolder(dir);

    // A new installation has an empty list file and no users.ini yet; a
    // folder with neither is no installation at all.
    const QString iniPath = Paths::resolve(Accounts::UsersIni);
    const QList<QByteArray> sections = QFileInfo::exists(iniPath) || !UserList::exists()
                                           ? IniSections::list(iniPath)
                                           : QList<QByteArray>();
    for (const QByteArray &section : sections) {
        QStringList row{CodePage::toUnicode(section)};
        for (int k = 1; k <= Accounts::TestCount; ++k) {
            const QByteArray grade = Store::read(section, Accounts::testKey(k), Accounts::UsersIni);
            row.append(grade == Store::missing() ? QStringLiteral("-")
                                                 : CodePage::toUnicode(grade));
        }
        Console::out(row.join(QLatin1Char('\t')));
    }

    QList<QByteArray> listed;
    for (const QByteArray &name : UserList::exists() ? UserList::load() : QList<QByteArray>()) {
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
    const ClassRecords records = ClassRecords::read();
    const SuspiciousRecords suspicious = SuspiciousRecords::read(records, TestLogReader::read());
    if (!suspicious.findings.isEmpty()) {
        Console::warning(SuspiciousRecords::Title + QLatin1Char(':'));
        for (const SuspiciousRecords::Finding &f : suspicious.findings)
            Console::warning(f.text);
    }
    return 0;
}
