// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchiveCommand.h"

#include "ClassReport.h"
#include "ClassStore.h"
#include "CommandArguments.h"
#include "Console.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "ReportOds.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

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
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    const QFileInfo destInfo(dest);
    if (destInfo.exists() &&
        (!destInfo.isDir() ||
         !QDir(dest).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty()))
        throw RuntimeError(QStringLiteral("папка %1 уже есть и не пуста; архив не записан")
                               .arg(QDir::toNativeSeparators(dest)));

    ClassReport report;
    const QStringList emptied = store->archive([&](const QList<ClassStore::RecordCopy> &copies) {
        report = ClassReport::read(*store);
        if (!QDir().mkpath(dest))
            throw RuntimeError(
                QStringLiteral("папку %1 не удалось создать").arg(QDir::toNativeSeparators(dest)));
        for (const ClassStore::RecordCopy &copy : copies)
            save(QDir(dest).filePath(copy.name), copy.bytes);
        save(QDir(dest).filePath(QStringLiteral("report.html")),
             ReportHtml::write(report, QDateTime::currentDateTime()));
        save(QDir(dest).filePath(QStringLiteral("report.csv")), ReportCsv::write(report));
        save(QDir(dest).filePath(QStringLiteral("report.ods")),
             ReportOds::write(report, ReportOds::Final::Mean));
    });

    Console::out(QStringLiteral("Записи класса перенесены в %1: учеников %2, строк журнала %3.")
                     .arg(QDir::toNativeSeparators(dest))
                     .arg(report.rows.size())
                     .arg(report.logLines));
    for (const QString &shown : emptied)
        Console::out(QStringLiteral("Очищен файл: %1").arg(shown));
    return 0;
}
