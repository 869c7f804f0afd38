// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerAddress.h"

#include <QSettings>
#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

ServerAddress ServerAddress::parse(const QString &uri, QString *why)
{
    ServerAddress address;
    why->clear();
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("postgresql") &&
                           url.scheme() != QLatin1String("postgres"))) {
        *why = QStringLiteral("адрес сервера \"%1\" не начинается с postgresql:// или записан с "
                              "ошибкой")
                   .arg(uri);
        return address;
    }
    address.host = url.host(QUrl::FullyDecoded);
    address.port = url.port(5432);
    address.database = url.path(QUrl::FullyDecoded).mid(1);
    address.role = url.userName(QUrl::FullyDecoded);
    address.password = url.password(QUrl::FullyDecoded);
    const QUrlQuery query(url);
    for (const auto &item : query.queryItems(QUrl::FullyDecoded)) {
        if (item.first == QLatin1String("host"))
            address.host = item.second;
        else if (item.first == QLatin1String("port"))
            address.port = item.second.toInt();
        else if (item.first == QLatin1String("user"))
            address.role = item.second;
        else if (item.first == QLatin1String("password"))
            address.password = item.second;
        else if (item.first == QLatin1String("dbname"))
            address.database = item.second;
        else
            address.options << item.first << item.second;
    }
    if (address.database.isEmpty())
        *why = QStringLiteral("в адресе сервера \"%1\" нет имени базы данных").arg(uri);
    else if (address.host.isEmpty())
        *why = QStringLiteral("в адресе сервера \"%1\" нет узла").arg(uri);
    return address;
}

QString ServerAddress::systemServer()
{
    const QSettings system(QSettings::SystemScope, QStringLiteral("coursebook"),
                           QStringLiteral("coursebook"));
    return system.value(QStringLiteral("Server")).toString().trimmed();
}

QString ServerAddress::display() const
{
    QString text = QStringLiteral("postgresql://");
    if (!role.isEmpty())
        text += role + u'@';
    text += host.startsWith(u'/') ? QString() : host + u':' + QString::number(port);
    text += u'/' + database;
    if (host.startsWith(u'/'))
        text += QStringLiteral("?host=") + host;
    return text;
}

QString ServerAddress::option(const QString &keyword) const
{
    for (qsizetype i = 0; i + 1 < options.size(); i += 2) {
        if (options.at(i) == keyword)
            return options.at(i + 1);
    }
    return QString();
}

bool ServerAddress::verifiesServer() const
{
    return host.startsWith(u'/') ||
           option(QStringLiteral("sslmode")) == QLatin1String("verify-full");
}

QSqlDatabase ServerAddress::connection(const QString &connectionName) const
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(role);
    db.setPassword(password);
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < options.size(); i += 2)
        pairs << options.at(i) + u'=' + options.at(i + 1);
    // Without a timeout of its own a connection to a host that does not
    // answer waits as long as the network lets it.
    if (option(QStringLiteral("connect_timeout")).isEmpty())
        pairs << QStringLiteral("connect_timeout=%1").arg(ConnectTimeout);
    db.setConnectOptions(pairs.join(u';'));
    return db;
}
