// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Accounts.h"
#include "RuntimeError.h"
#include "ServerAddress.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class QSqlQuery;

// The class's server as the program and the tool reach it: the API's calls
// over QtSql's PostgreSQL driver, on one connection of their own. The driver
// neither reconnects nor tells a dead connection from a refused statement:
// a call that fails without the server's answer is made again once on a new
// connection, which the API makes safe (an answer repeated is accepted, a
// finish repeated reads the same; a registration and a start whose replies
// were lost are read back). A refusal throws Refused with the Russian text,
// naming the server; the server out of reach throws Lost; anything else
// throws RuntimeError.
class ServerClient
{
public:
    class Refused;
    class Lost;

    struct Login
    {
        QString token;
        bool administrator = false;
        QString storedName;
        Accounts::Scores grades{};
    };

    struct Question
    {
        int number = 0;
        QString question;
        QStringList answers; // five
        int chosen = 0;      // the digit answered, 0 when none yet
    };

    struct Run
    {
        qint64 id = 0;
        int test = 0;
        int version = 0;
        QList<Question> questions;
    };

    // A question of a finished run as its review shows it.
    struct Reviewed
    {
        int number = 0;
        int chosen = 0; // 0 when the question had no answer
        bool right = false;
    };

    // When a test with the teacher's limits can be taken again.
    struct Availability
    {
        int test = 0;
        int attemptsLeft = -1; // -1: no limit
        int waitSeconds = 0;   // the pause after the last start still to go
    };

    struct Result
    {
        int grade = 0;
        int rightCount = 0;
        int questionCount = 0;
        Accounts::Scores grades{};
    };

    explicit ServerClient(const ServerAddress &address);
    ~ServerClient();
    ServerClient(const ServerClient &) = delete;
    ServerClient &operator=(const ServerClient &) = delete;

    const ServerAddress &address() const { return m_address; }

    void registerUser(const QString &name, const QString &password);
    Login login(const QString &name, const QString &password);
    void logout(const QString &token);
    Accounts::Scores grades(const QString &token);
    Run startRun(const QString &token, int test);
    std::optional<Run> openRun(const QString &token);
    void answer(const QString &token, qint64 run, int number, int digit);
    Result finishRun(const QString &token, qint64 run);
    // The session's user's own finished run, question by question.
    QList<Reviewed> review(const QString &token, qint64 run);
    // The tests the teacher limited, for the session's user.
    QList<Availability> availability(const QString &token);

    // A call of the API by its SQL, the values bound in order; the rows as
    // the query holds them. For the administrator's calls.
    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {});

    // The SQLSTATE of the server's refusal and its detail as the Russian
    // text, naming the server.
    QString refusalText(const QString &code, const QString &detail) const;
    // The driver's text of a failure as one line, for a box or a note: it
    // runs over several indented lines.
    static QString cause(const QSqlError &error);

private:
    QList<QVariantList> call(const QString &sql, const QVariantList &values, bool repeat);
    void open();

    ServerAddress m_address;
    QString m_connectionName;
    QSqlDatabase m_db;
};

class ServerClient::Refused : public std::exception
{
public:
    Refused(QString code, QString message, QString detail = QString())
        : m_code(std::move(code)), m_message(std::move(message)), m_detail(std::move(detail))
    {
        m_utf8 = m_message.toUtf8();
    }
    const QString &code() const noexcept { return m_code; }
    const QString &message() const noexcept { return m_message; }
    // The refusal's value as the server gives it (the attempts allowed, the
    // seconds of the pause left), empty when it has none.
    const QString &detail() const noexcept { return m_detail; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_code;
    QString m_message;
    QString m_detail;
    QByteArray m_utf8;
};

// The server could not be reached, or the connection went with the call's
// answer, even after the call was made again: the call may be tried later.
class ServerClient::Lost : public RuntimeError
{
public:
    using RuntimeError::RuntimeError;
};
