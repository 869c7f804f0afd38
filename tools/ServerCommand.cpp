// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerCommand.h"

#include "AdminLogin.h"
#include "ClassServer.h"
#include "ClassTransfer.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "PasswordPrompt.h"
#include "RuntimeError.h"
#include "ServerAddress.h"
#include "ServerSchema.h"
#include "ServerStore.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QString DefaultSuperuser = QStringLiteral("postgresql:///postgres?host=/var/run/postgresql");

// A connection that is closed and forgotten when the command ends.
class Connection
{
public:
    Connection(const ServerAddress &address, const QString &name)
        : m_name(name), m_db(address.connection(name))
    {
        if (!m_db.open())
            throw RuntimeError(
                QStringLiteral("сервер %1 недоступен: %2")
                    .arg(address.display(), m_db.lastError().databaseText().trimmed()));
    }
    ~Connection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase &db() { return m_db; }

    QSqlQuery exec(const QString &sql, const QVariantList &values = {})
    {
        // A statement without values goes as it is: the driver's prepared
        // statements take no CREATE or ALTER.
        QSqlQuery query(m_db);
        bool done = values.isEmpty() ? query.exec(sql) : query.prepare(sql);
        if (!values.isEmpty() && done) {
            for (const QVariant &v : values)
                query.addBindValue(v);
            done = query.exec();
        }
        if (!done)
            throw RuntimeError(QStringLiteral("сервер отказал: %1")
                                   .arg(query.lastError().databaseText().trimmed()));
        return query;
    }

private:
    QString m_name;
    QSqlDatabase m_db;
};

ServerAddress address(const QString &uri)
{
    QString why;
    const ServerAddress result = ServerAddress::parse(uri, &why);
    if (!why.isEmpty())
        throw RuntimeError(why);
    return result;
}

// PostgreSQL's identifier rules kept simple: a database name the lab's URI
// carries unquoted.
void checkDatabaseName(const QString &name)
{
    static const QRegularExpression valid(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    if (!valid.match(name).hasMatch())
        throw RuntimeError(QStringLiteral("имя базы данных \"%1\": только строчные латинские "
                                          "буквы, цифры и _, не с цифры")
                               .arg(name));
}

// The lab role's password from a Server= line written before, or empty.
QString existingLabPassword(const QString &lineFile)
{
    QFile file(lineFile);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString line = QString::fromUtf8(file.readAll()).trimmed();
    if (!line.startsWith(QLatin1String("Server=")))
        return QString();
    QString why;
    return ServerAddress::parse(line.mid(7), &why).password;
}

void reportSchema(const QList<int> &applied, int version)
{
    if (applied.isEmpty())
        Console::out(QStringLiteral("Схема уже версии %1.").arg(version));
    for (int v : applied)
        Console::out(QStringLiteral("Применена версия схемы %1.").arg(v));
}

int init(const CommandArguments &arguments)
{
    const QString database = arguments.value(QStringLiteral("--database"));
    const QString lineFile = arguments.value(QStringLiteral("--lab-line"));
    const QString host = arguments.value(QStringLiteral("--host"));
    const QString ca = arguments.value(QStringLiteral("--ca"));
    const QString adminLogin = arguments.value(QStringLiteral("--admin"));
    if (database.isEmpty() || lineFile.isEmpty() || host.isEmpty() || ca.isEmpty() ||
        adminLogin.isEmpty())
        throw CommandArguments::UsageError(
            QStringLiteral("server init: нужны --database, --host, --ca, --admin и --lab-line"));
    checkDatabaseName(database);
    const QString folder = ServerSchema::folder();
    const int port = arguments.value(QStringLiteral("--port"), QStringLiteral("5432")).toInt();
    const QString superuserUri = arguments.value(QStringLiteral("--superuser"), DefaultSuperuser);
    ServerAddress superuser = address(superuserUri);
    // A cluster's socket is named by its port: an address naming none (the
    // default one) reaches the cluster the lab's line names, not another
    // one of the same machine listening on 5432.
    if (const QUrl given(superuserUri);
        given.port() == -1 && !QUrlQuery(given).hasQueryItem(QStringLiteral("port")))
        superuser.port = port;
    const QString adminPassword =
        PasswordPrompt::read(QStringLiteral("Пароль администратора %1: ").arg(adminLogin));
    {
        Connection maintenance(superuser, QStringLiteral("server-init-maintenance"));
        if (!maintenance
                 .exec(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {database})
                 .next()) {
            // Letter case of Cyrillic names as the folder compares them.
            maintenance.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING "
                                            "'UTF8' LC_COLLATE 'C.UTF-8' LC_CTYPE 'C.UTF-8'")
                                 .arg(database));
            Console::out(QStringLiteral("Создана база данных %1.").arg(database));
        }
    }
    superuser.database = database;
    Connection db(superuser, QStringLiteral("server-init"));
    if (ServerSchema::version(db.db()) != 0)
        throw RuntimeError(QStringLiteral("в базе данных %1 уже есть класс; для новой версии "
                                          "схемы: server upgrade")
                               .arg(database));
    reportSchema(ServerSchema::apply(db.db(), folder), ServerSchema::version(db.db()));
    // The lab role serves every class of the server: its password changes
    // only where no class has it yet, else the other classes' line is given.
    QString labPassword = existingLabPassword(lineFile);
    if (labPassword.isEmpty()) {
        if (db.exec(QStringLiteral("SELECT rolpassword IS NOT NULL FROM pg_authid WHERE "
                                   "rolname = 'coursebook_lab'"))
                .next() &&
            db.exec(QStringLiteral("SELECT rolpassword IS NOT NULL FROM pg_authid WHERE "
                                   "rolname = 'coursebook_lab' AND rolpassword IS NOT NULL"))
                .next())
            throw RuntimeError(QStringLiteral(
                "у роли coursebook_lab уже есть пароль (другой класс на этом сервере): дайте в "
                "--lab-line файл со строкой Server= того класса"));
        labPassword =
            QString::fromLatin1(QByteArray::number(QRandomGenerator::system()->generate64(), 16) +
                                QByteArray::number(QRandomGenerator::system()->generate64(), 16));
        // Hex digits only: nothing in the literal needs quoting.
        db.exec(QStringLiteral("ALTER ROLE coursebook_lab PASSWORD '%1'").arg(labPassword));
    }
    db.exec(QStringLiteral("SELECT cb_private.init_settings(?, ?, ?)"),
            {adminLogin, adminPassword,
             arguments.value(QStringLiteral("--log"), QStringLiteral("testlog.txt"))});

    const QString line =
        QStringLiteral("Server=postgresql://coursebook_lab:%1@%2:%3/%4?sslmode=verify-full&"
                       "sslrootcert=%5\n")
            .arg(labPassword, host)
            .arg(port)
            .arg(database, ca);
    QFile file(lineFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(line.toUtf8()) != line.toUtf8().size() || !file.flush())
        throw RuntimeError(QStringLiteral("строка для машин класса не записана в %1: %2")
                               .arg(QDir::toNativeSeparators(lineFile), file.errorString()));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Console::out(QStringLiteral("Строка Server= для машин класса записана в %1 (в "
                                "/etc/xdg/coursebook/coursebook.conf, с сертификатом центра "
                                "%2).")
                     .arg(QDir::toNativeSeparators(lineFile), ca));
    Console::out(QStringLiteral("Строки для pg_hba.conf (сеть класса вместо 0.0.0.0/0):"));
    Console::out(QStringLiteral("hostssl %1 coursebook_lab 0.0.0.0/0 scram-sha-256").arg(database));
    Console::out(QStringLiteral("host    %1 all            0.0.0.0/0 reject").arg(database));
    return 0;
}

int upgrade(const CommandArguments &arguments)
{
    const QString database = arguments.value(QStringLiteral("--database"));
    if (database.isEmpty())
        throw CommandArguments::UsageError(QStringLiteral("server upgrade: нужен --database"));
    checkDatabaseName(database);
    const QString folder = ServerSchema::folder();
    ServerAddress superuser =
        address(arguments.value(QStringLiteral("--superuser"), DefaultSuperuser));
    superuser.database = database;
    Connection db(superuser, QStringLiteral("server-upgrade"));
    if (ServerSchema::version(db.db()) == 0)
        throw RuntimeError(
            QStringLiteral("в базе данных %1 нет класса; сначала server init").arg(database));
    reportSchema(ServerSchema::apply(db.db(), folder), ServerSchema::version(db.db()));
    return 0;
}

int status(const CommandArguments &arguments)
{
    const QString uri = arguments.value(QStringLiteral("--server"), ServerAddress::systemServer());
    if (uri.isEmpty())
        throw CommandArguments::UsageError(
            QStringLiteral("server status: сервер не назван (--server или Server= в настройках)"));
    const ServerAddress server = address(uri);
    Connection db(server, QStringLiteral("server-status"));
    QSqlQuery query = db.exec(QStringLiteral("SELECT * FROM cb.server_status()"));
    query.next();
    Console::out(QStringLiteral("Сервер: %1").arg(server.display()));
    Console::out(QStringLiteral("Версия схемы: %1").arg(query.value(0).toInt()));
    Console::out(QStringLiteral("Подключений класса: %1 из %2")
                     .arg(query.value(1).toInt())
                     .arg(query.value(2).toInt()));
    Console::out(QStringLiteral("Пользователей: %1").arg(query.value(3).toInt()));
    Console::out(QStringLiteral("Прохождений тестов: %1, незаконченных: %2")
                     .arg(query.value(4).toInt())
                     .arg(query.value(5).toInt()));
    Console::out(QStringLiteral("Последнее начато: %1")
                     .arg(query.value(6).isNull()
                              ? QStringLiteral("-")
                              : query.value(6).toDateTime().toLocalTime().toString(
                                    QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    return 0;
}

// The class's server as the command names it, with the administrator
// logged in through the API.
std::unique_ptr<ServerStore> adminStore(const CommandArguments &arguments, const QString &command)
{
    const QString uri = arguments.value(QStringLiteral("--server"), ServerAddress::systemServer());
    if (uri.isEmpty())
        throw CommandArguments::UsageError(
            QStringLiteral("%1: сервер не назван (--server или Server= в настройках)")
                .arg(command));
    AdminLogin::require(command);
    std::unique_ptr<ServerStore> store = ClassServer::open(uri);
    return store;
}

QString required(const CommandArguments &arguments, const QString &option, const QString &command)
{
    const QString value = arguments.value(option);
    if (value.isEmpty())
        throw CommandArguments::UsageError(
            QStringLiteral("%1: нужен параметр %2").arg(command, option));
    return value;
}

int importFolder(const CommandArguments &arguments)
{
    const QString command = QStringLiteral("server import");
    const QString folder = required(arguments, QStringLiteral("--dir"), command);
    const auto store = adminStore(arguments, command);
    const ClassTransfer::Reading reading =
        ClassTransfer::import(*store, QFileInfo(folder).absoluteFilePath());
    for (const QString &refusal : reading.refusals)
        Console::error(refusal);
    if (!reading.refusals.isEmpty()) {
        Console::error(QStringLiteral("Ничего не перенесено: не принято записей: %1.")
                           .arg(reading.refusals.size()));
        return 1;
    }
    Console::out(QStringLiteral("Перенесено: пользователей %1, удалённых %2, тестов %3, строк "
                                "журнала %4, записей ответов %5, изменений оценок %6.")
                     .arg(reading.users)
                     .arg(reading.removed)
                     .arg(reading.tests)
                     .arg(reading.logLines)
                     .arg(reading.runs)
                     .arg(reading.changes));
    return 0;
}

int exportFolder(const CommandArguments &arguments)
{
    const QString command = QStringLiteral("server export");
    const QString folder = required(arguments, QStringLiteral("--dir"), command);
    const QString sheet = required(arguments, QStringLiteral("--sheet"), command);
    const auto store = adminStore(arguments, command);
    const ClassTransfer::Written written = ClassTransfer::exportTo(*store, folder, sheet);
    Console::out(QStringLiteral("Выгружено в %1: пользователей %2, тестов %3, строк журнала %4, "
                                "записей ответов %5.")
                     .arg(QDir::toNativeSeparators(folder))
                     .arg(written.users)
                     .arg(written.tests)
                     .arg(written.logLines)
                     .arg(written.runs));
    Console::out(QStringLiteral("Пароли на сервере не хранятся: новые пароли папки — на листе %1.")
                     .arg(QDir::toNativeSeparators(sheet)));
    return 0;
}

int publish(const CommandArguments &arguments)
{
    const QString command = QStringLiteral("server publish");
    if (arguments.positional().size() != 3)
        throw CommandArguments::UsageError(
            QStringLiteral("%1: нужны имя теста (test1 … test10) и его файл").arg(command));
    const QByteArray test = arguments.positional().at(1).toLatin1();
    const QString file = arguments.positional().at(2);
    const auto store = adminStore(arguments, command);
    const int version = store->publish(test, TextFile::read(QFileInfo(file).absoluteFilePath()));
    Console::out(QStringLiteral("Тест %1 опубликован на сервере, версия %2; прохождения прежних "
                                "версий остаются при своих.")
                     .arg(QString::fromLatin1(test))
                     .arg(version));
    return 0;
}

} // namespace

const char *const ServerCommand::Synopsis = "server init|upgrade|status|import|export|publish ...";

QString ServerCommand::summary()
{
    return QStringLiteral("класс на сервере PostgreSQL: создать (init), обновить схему "
                          "(upgrade), показать состояние (status), перенести из папки "
                          "(import) и в папку (export), опубликовать тест (publish)");
}

QString ServerCommand::details()
{
    return QStringLiteral(
        "server init --database NAME --host HOST [--port PORT] --ca FILE --admin LOGIN\n"
        "            --lab-line FILE [--log NAME] [--superuser URI]\n"
        "    база данных, роли, схема и пароль роли класса; строка Server= для машин\n"
        "    класса в FILE; пароль администратора вводится (или первая строка ввода)\n"
        "server upgrade --database NAME [--superuser URI]\n"
        "    применить новые версии схемы, каждую в одной транзакции\n"
        "server status [--server URI]\n"
        "    версия схемы, подключения, прохождения тестов\n"
        "server import --dir FOLDER [--server URI]\n"
        "    записи папки класса на сервер одним целым; отказы по строкам\n"
        "server export --dir FOLDER --sheet HTML [--server URI]\n"
        "    класс с сервера в новую папку; новые пароли — на листе HTML\n"
        "server publish TEST FILE [--server URI]\n"
        "    файл теста новой версией; прохождения сохраняют свою версию\n"
        "import, export и publish — после входа администратора класса на сервере\n"
        "(вводится или --admin-login ФАЙЛ).\n"
        "URI суперпользователя по умолчанию: postgresql:///postgres?host=/var/run/postgresql\n"
        "(запуск от имени postgres на машине сервера); без порта в нём — порт из --port.");
}

int ServerCommand::run(const QStringList &args)
{
    const CommandArguments arguments(
        args,
        {QStringLiteral("--database"), QStringLiteral("--superuser"), QStringLiteral("--server"),
         QStringLiteral("--host"), QStringLiteral("--port"), QStringLiteral("--ca"),
         QStringLiteral("--admin"), QStringLiteral("--lab-line"), QStringLiteral("--log"),
         QStringLiteral("--dir"), QStringLiteral("--sheet")},
        {}, 1, 3);
    const QString what = arguments.positional().at(0);
    if (what != QLatin1String("publish") && arguments.positional().size() != 1)
        throw CommandArguments::UsageError(QStringLiteral("server %1: лишний параметр %2")
                                               .arg(what, arguments.positional().at(1)));
    if (what == QLatin1String("init"))
        return init(arguments);
    if (what == QLatin1String("upgrade"))
        return upgrade(arguments);
    if (what == QLatin1String("status"))
        return status(arguments);
    if (what == QLatin1String("import"))
        return importFolder(arguments);
    if (what == QLatin1String("export"))
        return exportFolder(arguments);
    if (what == QLatin1String("publish"))
        return publish(arguments);
    throw CommandArguments::UsageError(
        QStringLiteral("server: init, upgrade, status, import, export или publish, не %1")
            .arg(what));
}
