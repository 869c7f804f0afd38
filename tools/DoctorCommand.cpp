// SPDX-License-Identifier: GPL-3.0-or-later
#include "DoctorCommand.h"

#include "ClassFolderCheck.h"
#include "ClassStore.h"
#include "CommandArguments.h"
#include "Console.h"
#include "FolderAccess.h"
#include "RuntimeError.h"
#include "ServerCheck.h"
#include "ServerSchema.h"
#include "ServerStore.h"
#include "WorkingFolder.h"

#include <QDir>
#include <memory>

namespace {

int checkServer(ServerStore &store)
{
    QString schemaFolder;
    try {
        schemaFolder = ServerSchema::folder();
    } catch (const RuntimeError &e) {
        Console::warning(e.message());
    }
    const ServerCheck::Result result = ServerCheck::run(store, schemaFolder);
    for (const QString &finding : result.findings)
        Console::out(finding);
    const QString server = store.client().address().display();
    if (!result.findings.isEmpty()) {
        Console::out(QStringLiteral("Сервер %1 не готов: замечаний %2.")
                         .arg(server)
                         .arg(result.findings.size()));
        return 1;
    }
    Console::out(QStringLiteral("Сервер %1 готов.").arg(server));
    return 0;
}

} // namespace

const char *const DoctorCommand::Synopsis = "doctor [--dir DIR]";

QString DoctorCommand::summary()
{
    return QStringLiteral("проверить папку класса DIR перед занятием: файлы курса, права класса "
                          "на записи, оставленные блокировки, ссылки и журнал вне папки, тесты, "
                          "свободное место");
}

int DoctorCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 0);
    const std::unique_ptr<ClassStore> store =
        WorkingFolder::openClass(arguments.value(QStringLiteral("--dir")));
    const FolderAccess *access = store->folderAccess();
    if (!access)
        return checkServer(dynamic_cast<ServerStore &>(*store));
    const QString folder = access->folder();
    const ClassFolderCheck::Result result = ClassFolderCheck::run(*store, *access);
    for (const QString &finding : result.findings)
        Console::out(finding);
    Console::out(result.note);
    if (!result.findings.isEmpty()) {
        Console::out(QStringLiteral("Папка класса %1 не готова: замечаний %2.")
                         .arg(QDir::toNativeSeparators(folder))
                         .arg(result.findings.size()));
        return 1;
    }
    Console::out(QStringLiteral("Папка класса %1 готова.").arg(QDir::toNativeSeparators(folder)));
    return 0;
}
