// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerCluster.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QUrl>

namespace {

QString statePath()
{
    return qEnvironmentVariable("COURSEBOOK_SERVER_STATE");
}

QString fixture()
{
    return QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/server/server-fixture");
}

} // namespace

QString ServerCluster::value(const QByteArray &key)
{
    QFile state(statePath());
    if (!state.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : state.readAll().split('\n')) {
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    }
    return QString();
}

QString ServerCluster::unavailable()
{
    const QString prefix = QStringLiteral("no database server: ");
    if (statePath().isEmpty())
        return prefix + QStringLiteral("COURSEBOOK_SERVER_STATE names no fixture state");
    if (!QFile::exists(statePath()))
        return prefix + QStringLiteral("the fixture left no state in %1").arg(statePath());
    const QString skip = value("skip");
    if (!skip.isEmpty())
        return prefix + skip;
    if (value("port").isEmpty())
        return prefix + QStringLiteral("the fixture's state names no server");
    return QString();
}

QString ServerCluster::newDatabase(QString *why)
{
    *why = unavailable();
    if (!why->isEmpty())
        return QString();
    static QAtomicInt counter;
    const QString name = QStringLiteral("cb_%1_%2_%3")
                             .arg(QCoreApplication::applicationName().toLower())
                             .arg(QCoreApplication::applicationPid())
                             .arg(counter.fetchAndAddRelaxed(1));
    const ToolRun run =
        ToolRun::run(fixture(), {QStringLiteral("newdb"), statePath(), name}, QString(), 60000);
    if (run.exitCode != 0) {
        *why =
            QStringLiteral("no database server: no database from the template: ") + run.errText();
        return QString();
    }
    return name;
}

QString ServerCluster::labUri(const QString &database)
{
    return QStringLiteral("postgresql://%1:%2@127.0.0.1:%3/%4?sslmode=verify-full&sslrootcert=%5")
        .arg(value("lab_role"), value("lab_password"), value("port"), database,
             QString::fromUtf8(QUrl::toPercentEncoding(value("ca"))));
}

ServerAddress ServerCluster::labAddress(const QString &database)
{
    QString why;
    const ServerAddress address = ServerAddress::parse(labUri(database), &why);
    if (!why.isEmpty())
        qFatal("the lab's address %s does not parse: %s", qPrintable(labUri(database)),
               qPrintable(why));
    return address;
}

QString ServerCluster::superuserUri(const QString &database)
{
    return QStringLiteral("postgresql://postgres@/%1?host=%2&port=%3")
        .arg(database, QString::fromUtf8(QUrl::toPercentEncoding(value("socket"))), value("port"));
}

ToolRun ServerCluster::psql(const QString &uri, const QByteArray &script)
{
    // Unlogged: psql takes none of the tool's options, in a class folder too.
    return ToolRun::runUnlogged(value("bin") + QStringLiteral("/psql"),
                                {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-At"),
                                 QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                 QStringLiteral("-d"), uri},
                                QString(), 60000, script);
}

QByteArray ServerCluster::superuser(const QString &database, const QByteArray &script)
{
    const ToolRun run = psql(superuserUri(database), script);
    if (run.exitCode != 0)
        qWarning("%s", qPrintable(run.errText()));
    return run.exitCode == 0 ? run.outText().trimmed().toUtf8() : QByteArray("failed");
}

bool ServerCluster::initSettings(const QString &database, const QByteArray &password,
                                 const QByteArray &logName)
{
    return superuser(database, "SELECT cb_private.init_settings('admin', '" + password + "', '" +
                                   logName + "');")
        .isEmpty();
}

// From another database: this one may be closed to new connections.
bool ServerCluster::allowConnections(const QString &database, bool allowed)
{
    return superuser(QStringLiteral("postgres"), "ALTER DATABASE \"" + database.toUtf8() +
                                                     "\" ALLOW_CONNECTIONS " +
                                                     (allowed ? "true" : "false") + ";")
        .isEmpty();
}

int ServerCluster::dropConnections(const QString &database)
{
    return superuser(QStringLiteral("postgres"),
                     "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE "
                     "datname = '" +
                         database.toUtf8() + "' AND usename = 'coursebook_lab';")
        .toInt();
}

bool ServerCluster::setRunning(bool running)
{
    const ToolRun run = ToolRun::runUnlogged(
        fixture(), {running ? QStringLiteral("up") : QStringLiteral("down"), statePath()},
        QString(), 90000);
    if (run.exitCode != 0)
        qWarning("%s", qPrintable(run.errText()));
    return run.exitCode == 0;
}

QByteArray ServerCluster::log()
{
    QFile file(value("log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
