// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnlockCommand.h"

#include "ClassStore.h"
#include "CommandArguments.h"
#include "Console.h"
#include "FolderAccess.h"
#include "LeftLocks.h"
#include "RuntimeError.h"
#include "WorkingFolder.h"

#include <QDir>
#include <memory>

const char *const UnlockCommand::Synopsis = "unlock [--dir DIR] [--force]";

QString UnlockCommand::summary()
{
    return QStringLiteral("показать блокировки и временные файлы, оставленные в папке DIR; "
                          "с --force удалить их");
}

int UnlockCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {QStringLiteral("--force")},
                                     0);
    const QString dir = arguments.value(QStringLiteral("--dir"));
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const FolderAccess *access = store->folderAccess();
    if (!access)
        throw RuntimeError(QStringLiteral("класс хранится не в папке; блокировок в ней нет"));
    const bool force = arguments.has(QStringLiteral("--force"));
    const QString folder = access->folder();
    const QList<LeftLocks::Entry> found = LeftLocks::find(folder);
    if (found.isEmpty()) {
        Console::out(QStringLiteral("В папке %1 нет блокировок и временных файлов.")
                         .arg(QDir::toNativeSeparators(folder)));
        return 0;
    }
    int failed = 0;
    for (const LeftLocks::Entry &entry : found) {
        const QString shown = QDir::toNativeSeparators(entry.path);
        if (!force) {
            Console::out(QStringLiteral("%1: %2").arg(shown, entry.words));
            continue;
        }
        const QString error = LeftLocks::clear(entry.path);
        if (error.isEmpty()) {
            Console::out(QStringLiteral("удалено: %1 (%2)").arg(shown, entry.words));
        } else {
            Console::error(QStringLiteral("не удалось удалить %1: %2").arg(shown, error));
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
