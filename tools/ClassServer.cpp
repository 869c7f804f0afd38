// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassServer.h"

#include "AdminLogin.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "ServerAddress.h"
#include "ServerStore.h"
#include "WorkingFolder.h"

namespace {

QString &givenUri()
{
    static QString uri;
    return uri;
}

} // namespace

const QString ClassServer::Option = QStringLiteral("--server");

void ClassServer::takeOption(QStringList *args)
{
    for (qsizetype i = 0; i < args->size(); ++i) {
        const QString &arg = args->at(i);
        if (arg == QLatin1String("--"))
            return;
        if (arg.startsWith(Option + QLatin1Char('='))) {
            givenUri() = arg.mid(Option.size() + 1);
            args->removeAt(i--);
        } else if (arg == Option) {
            if (i + 1 >= args->size())
                throw CommandArguments::UsageError(
                    QStringLiteral("после %1 нужен адрес сервера postgresql://…").arg(Option));
            givenUri() = args->at(i + 1);
            args->remove(i, 2);
            --i;
        }
    }
}

void ClassServer::setUri(const QString &uri)
{
    givenUri() = uri;
}

bool ClassServer::given()
{
    return !givenUri().isEmpty();
}

QString ClassServer::chosen(const QString &dir)
{
    if (given()) {
        if (!dir.isEmpty())
            throw CommandArguments::UsageError(
                QStringLiteral("укажите или --dir, или %1, но не оба").arg(Option));
        return givenUri();
    }
    // A folder named on the command line is that folder, even in a lab
    // whose records are on a server.
    return dir.isEmpty() ? ServerAddress::systemServer() : QString();
}

std::unique_ptr<ServerStore> ClassServer::open(const QString &uri)
{
    QString why;
    const ServerAddress address = ServerAddress::parse(uri, &why);
    if (!why.isEmpty())
        throw WorkingFolder::Unreachable(QStringLiteral("адрес сервера не принят: %1").arg(why));
    auto store = std::make_unique<ServerStore>(address);
    // Reached before anything is asked, so that a server down is told as
    // one and not as a wrong password.
    try {
        store->client().rows(QStringLiteral("SELECT schema_version FROM cb.server_status()"));
    } catch (const RuntimeError &e) {
        throw WorkingFolder::Unreachable(e.message());
    } catch (const ServerClient::Refused &refused) {
        throw WorkingFolder::Unreachable(refused.message());
    }
    AdminLogin::checkWith([&store](const QString &login, const QString &password) {
        return CodePage::canSpell(login) && CodePage::canSpell(password) &&
               store->passwordMatches(CodePage::fromUnicode(login),
                                      CodePage::fromUnicode(password)) &&
               store->isAdministrator();
    });
    return store;
}
