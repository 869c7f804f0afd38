// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerStart.h"

#include "ServerClient.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// What stands between the program and the class's records on the server, in
// the driver's words; empty when the server answers as a class's server.
QString problem(const ServerAddress &address)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("coursebook-start-%1").arg(counter.fetchAndAddRelaxed(1));
    QString cause;
    {
        QSqlDatabase db = address.connection(name);
        if (!db.open()) {
            cause = ServerClient::cause(db.lastError());
        } else {
            QSqlQuery query(db);
            // The API answers without a log-in; a database without it is
            // not a class's.
            if (!query.exec(QStringLiteral("SELECT schema_version FROM cb.server_status()")))
                cause = ServerClient::cause(query.lastError());
        }
        if (cause.isEmpty() && !db.isOpen())
            cause = QStringLiteral("соединение не установлено");
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return cause;
}

} // namespace

ServerStart::Choice ServerStart::choose(const QString &commandLine, const QString &system)
{
    Choice choice;
    const QString uri = commandLine.isEmpty() ? system : commandLine;
    if (uri.isEmpty())
        return choice;
    QString why;
    const ServerAddress address = ServerAddress::parse(uri, &why);
    if (!why.isEmpty()) {
        choice.why =
            commandLine.isEmpty()
                ? QStringLiteral("параметр Server в /etc/xdg/coursebook/coursebook.conf: %1")
                      .arg(why)
                : QStringLiteral("параметр --server: %1").arg(why);
        return choice;
    }
    choice.address = address;
    return choice;
}

ServerStart::ServerStart(const ServerAddress &address, const QString &shown, QObject *parent)
    : QObject(parent), m_address(address), m_shown(shown)
{
}

ServerStart::~ServerStart()
{
    // The attempt ends within the connection's timeout; its result goes
    // nowhere.
    if (m_thread)
        m_thread->wait();
}

void ServerStart::attempt()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] {
        const QString cause = problem(m_address);
        QMetaObject::invokeMethod(
            this, [this, cause] { ended(cause); }, Qt::QueuedConnection);
    }));
    m_thread->start();
}

void ServerStart::ended(const QString &cause)
{
    m_thread->wait();
    m_thread.reset();
    if (cause.isEmpty())
        emit reached();
    else
        emit failed(QStringLiteral("Записи класса хранятся на %1, но он не отвечает.\n\n"
                                   "Причина: %2\n\nПроверьте сеть или обратитесь к "
                                   "администратору сервера.")
                        .arg(m_shown, cause));
}

QString ServerStart::waitingText() const
{
    return QStringLiteral("Соединение: записи класса хранятся на %1…").arg(m_shown);
}
