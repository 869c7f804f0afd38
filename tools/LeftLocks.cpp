// SPDX-License-Identifier: GPL-3.0-or-later
#include "LeftLocks.h"

#include "FileLock.h"
#include "FileWrite.h"
#include "IoError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

const QLatin1String LockEnding(".lock");
const QLatin1String SideEnding(".new");

} // namespace

QList<LeftLocks::Entry> LeftLocks::find(const QString &folder)
{
    QList<Entry> found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.nextFileInfo());
        const QString name = entry.fileName();
        // What is inside a lock belongs to it.
        if (entry.path().endsWith(LockEnding))
            continue;
        if (name.endsWith(LockEnding)) {
            found.append({entry.filePath(),
                          QStringLiteral("блокировка: ") + FileLock::describe(entry.filePath())});
        } else if (name.endsWith(SideEnding)) {
            found.append({entry.filePath(),
                          entry.isDir() ? QStringLiteral("папка на месте временного файла записи")
                                        : QStringLiteral("временный файл незаконченной записи, "
                                                         "от %1")
                                              .arg(entry.lastModified().toString(
                                                  QStringLiteral("dd.MM.yyyy HH:mm:ss")))});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Entry &a, const Entry &b) { return a.path < b.path; });
    return found;
}

QString LeftLocks::clear(const QString &path)
{
    const QFileInfo entry(path);
    int error = 0;
    if (entry.isDir() && !entry.isSymLink()) {
        error = FileLock::clear(path);
        // What is left in it goes whatever it is, with no link followed.
        if (error != 0)
            error = FileWrite::removeTree(path);
    } else {
        error = FileWrite::remove(path, 0);
    }
    return error == 0 ? QString() : IoError::reason(error);
}
