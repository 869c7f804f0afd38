// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCommand.h"

#include "Accounts.h"
#include "AdminSettings.h"
#include "ClassReport.h"
#include "CommandArguments.h"
#include "Console.h"
#include "FileLock.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "Paths.h"
#include "RemovedUsers.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "ReportOds.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "UserList.h"
#include "UserRecords.h"
#include "WorkingFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace {

struct Record
{
    QString path;    // in the class folder
    QString archive; // in DEST
};

QString name(const QString &path)
{
    return QFileInfo(path).fileName();
}

void save(const QString &path, const QByteArray &bytes)
{
    TextFile::replace(path, bytes);
    // The class's copy is emptied only after its archive reads back whole.
    if (TextFile::read(path) != bytes)
        throw RuntimeError(QStringLiteral("копия %1 не совпадает с оригиналом; ничего не очищено")
                               .arg(QDir::toNativeSeparators(path)));
}

} // namespace

const char *const ArchiveCommand::Synopsis = "archive DEST [--dir DIR]";

QString ArchiveCommand::summary()
{
    return QStringLiteral("перенести записи класса (users.ini, users, журнал тестирования, запись "
                          "ответов, removed-users.ini и отчёт в HTML и CSV) в новую или пустую "
                          "папку DEST и очистить их в папке класса; настройки и тесты остаются");
}

int ArchiveCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {}, 1);
    const QString dest = QFileInfo(arguments.positional().at(0)).absoluteFilePath();
    const QString dir = arguments.value(QStringLiteral("--dir"));
    WorkingFolder::enterClassFolder(dir);
    const QFileInfo destInfo(dest);
    if (destInfo.exists() &&
        (!destInfo.isDir() ||
         !QDir(dest).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty()))
        throw RuntimeError(QStringLiteral("папка %1 уже есть и не пуста; архив не записан")
                               .arg(QDir::toNativeSeparators(dest)));

    const AdminSettings settings = AdminSettings::read();
    QList<QString> paths{Paths::resolve(Accounts::UsersIni), Paths::resolve(UserList::FileName),
                         Paths::resolve(RemovedUsers::FileName)};
    if (!settings.logName.isEmpty()) {
        paths.append(Paths::resolve(settings.logName));
        paths.append(Paths::resolve(UserRecords::answerRecordName(settings.logName)));
    }
    // users.ini before users, as every writer takes them; then the rest.
    std::vector<std::unique_ptr<FileLock>> locks;
    for (const QString &path : paths)
        locks.push_back(std::make_unique<FileLock>(path));

    std::vector<Record> records;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        if (!TextFile::canReplace(path))
            throw IoError::inOut(path, TextFile::diagnose(path, true));
        records.push_back({path, QDir(dest).filePath(name(path))});
    }
    const ClassReport report = ClassReport::read();

    if (!QDir().mkpath(dest))
        throw RuntimeError(
            QStringLiteral("папку %1 не удалось создать").arg(QDir::toNativeSeparators(dest)));
    for (const Record &r : records)
        save(r.archive, TextFile::read(r.path));
    save(QDir(dest).filePath(QStringLiteral("report.html")),
         ReportHtml::write(report, QDateTime::currentDateTime()));
    save(QDir(dest).filePath(QStringLiteral("report.csv")), ReportCsv::write(report));
    save(QDir(dest).filePath(QStringLiteral("report.ods")),
         ReportOds::write(report, ReportOds::Final::Mean));

    for (const Record &r : records)
        TextFile::replace(FolderBounds::recordPath(r.path), QByteArray());

    Console::out(QStringLiteral("Записи класса перенесены в %1: учеников %2, строк журнала %3.")
                     .arg(QDir::toNativeSeparators(dest))
                     .arg(report.rows.size())
                     .arg(report.logLines));
    for (const Record &r : records)
        Console::out(QStringLiteral("Очищен файл: %1").arg(Paths::display(r.path)));
    return 0;
}
