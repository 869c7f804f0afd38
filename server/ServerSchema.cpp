// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerSchema.h"

#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("файл схемы %1 не читается: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return QString::fromUtf8(file.readAll());
}

void run(QSqlDatabase &db, const QString &sql, const QString &what)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw RuntimeError(QStringLiteral("%1: сервер отказал: %2")
                               .arg(what, query.lastError().databaseText().trimmed()));
}

} // namespace

QString ServerSchema::folder()
{
    const QString given = qEnvironmentVariable("COURSEBOOK_SERVER_SQL");
    if (!given.isEmpty())
        return given;
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("coursebook/server/sql"),
                                                     QStandardPaths::LocateDirectory);
    if (installed.isEmpty())
        throw RuntimeError(QStringLiteral("файлы схемы сервера (coursebook/server/sql) не "
                                          "установлены"));
    return installed;
}

QList<ServerSchema::File> ServerSchema::files(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^(\\d{3})-.+\\.sql$"));
    QList<File> result;
    for (const QString &entry : QDir(folder).entryList({QStringLiteral("*.sql")}, QDir::Files)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (match.hasMatch())
            result.append({match.captured(1).toInt(), QDir(folder).filePath(entry)});
    }
    std::sort(result.begin(), result.end(),
              [](const File &a, const File &b) { return a.version < b.version; });
    for (qsizetype i = 1; i < result.size(); ++i) {
        if (result.at(i).version == result.at(i - 1).version)
            throw RuntimeError(QStringLiteral("два файла схемы версии %1 в %2")
                                   .arg(result.at(i).version)
                                   .arg(QDir::toNativeSeparators(folder)));
    }
    if (result.isEmpty())
        throw RuntimeError(
            QStringLiteral("в %1 нет файлов схемы сервера").arg(QDir::toNativeSeparators(folder)));
    return result;
}

int ServerSchema::version(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("SELECT to_regclass('cb_private.schema_version') IS NOT NULL")) ||
        !query.next())
        throw RuntimeError(QStringLiteral("версия схемы не читается: %1")
                               .arg(query.lastError().databaseText().trimmed()));
    if (!query.value(0).toBool())
        return 0;
    if (!query.exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM "
                                   "cb_private.schema_version")) ||
        !query.next())
        throw RuntimeError(QStringLiteral("версия схемы не читается: %1")
                               .arg(query.lastError().databaseText().trimmed()));
    return query.value(0).toInt();
}

QList<int> ServerSchema::apply(QSqlDatabase &db, const QString &folder)
{
    const QList<File> all = files(folder);
    const QString rights = readText(QDir(folder).filePath(QStringLiteral("database.sql")));
    QList<int> applied;
    for (const File &file : all) {
        const QString text = readText(file.path);
        if (!db.transaction())
            throw RuntimeError(QStringLiteral("транзакция не начата: %1")
                                   .arg(db.lastError().databaseText().trimmed()));
        try {
            // Two copies of the tool upgrading at once take turns.
            run(db, QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('coursebook schema'))"),
                QStringLiteral("блокировка схемы"));
            // The version is read again under the lock.
            if (version(db) >= file.version) {
                db.rollback();
                continue;
            }
            run(db, text, QDir::toNativeSeparators(file.path));
            run(db,
                QStringLiteral("INSERT INTO cb_private.schema_version (version) VALUES (%1)")
                    .arg(file.version),
                QDir::toNativeSeparators(file.path));
            if (!db.commit())
                throw RuntimeError(QStringLiteral("%1: не сохранено: %2")
                                       .arg(QDir::toNativeSeparators(file.path),
                                            db.lastError().databaseText().trimmed()));
        } catch (...) {
            db.rollback();
            throw;
        }
        applied.append(file.version);
    }
    run(db, rights, QStringLiteral("права базы данных"));
    return applied;
}
