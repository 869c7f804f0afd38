// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ServerAddress.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>
#include <optional>

// The program's start on the class's server: which server, if any, keeps the
// class, and whether it answers. The records are then the server's alone:
// one that does not answer is said, with the cause, and tried again on the
// user's word, never replaced by the course folder's records.
class ServerStart : public QObject
{
    Q_OBJECT

public:
    struct Choice
    {
        // Nothing: the class is kept in the course folder.
        std::optional<ServerAddress> address;
        // Why the named server's address cannot be used, in Russian; the
        // program then does not start.
        QString why;
    };

    // The server the command line names, else the one the system settings
    // name (ServerAddress::systemServer()); either may be empty.
    static Choice choose(const QString &commandLine, const QString &system);

    // shown names the server as the messages do (ServerStore::shown()).
    ServerStart(const ServerAddress &address, const QString &shown, QObject *parent = nullptr);
    ~ServerStart() override;

    // One connection attempt on a thread of its own, bounded by the
    // connection's timeout; reached() or failed() follows. Ignored while an
    // attempt is under way.
    void attempt();
    bool attempting() const { return m_thread != nullptr; }

    // What the user reads while the attempt is under way.
    QString waitingText() const;

signals:
    void reached();
    // The text of the box: the server and the cause.
    void failed(const QString &text);

private:
    void ended(const QString &cause);

    ServerAddress m_address;
    QString m_shown;
    std::unique_ptr<QThread> m_thread;
};
