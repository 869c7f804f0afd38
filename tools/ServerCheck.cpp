// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerCheck.h"

#include "ClassStore.h"
#include "RuntimeError.h"
#include "ServerSchema.h"
#include "ServerStore.h"

ServerCheck::Result ServerCheck::run(ServerStore &store, const QString &schemaFolder)
{
    Result result;
    const QString server = store.client().address().display();
    const auto add = [&result, &server](const QString &text) {
        result.findings.append(QStringLiteral("Сервер %1: %2").arg(server, text));
    };
    if (!store.client().address().verifiesServer())
        add(QStringLiteral("пароли студентов идут по сети без проверки сертификата сервера; "
                           "укажите в адресе sslmode=verify-full и sslrootcert= с сертификатом "
                           "центра лаборатории."));
    const QList<QVariantList> status = store.client().rows(
        QStringLiteral("SELECT schema_version, connections, connection_limit FROM "
                       "cb.server_status()"));
    if (!status.isEmpty()) {
        const int version = status.at(0).at(0).toInt();
        const int connections = status.at(0).at(1).toInt();
        const int limit = status.at(0).at(2).toInt();
        if (!schemaFolder.isEmpty()) {
            const int newest = ServerSchema::files(schemaFolder).last().version;
            if (version < newest)
                add(QStringLiteral("схема версии %1, программа знает версию %2; выполните "
                                   "server upgrade на сервере.")
                        .arg(version)
                        .arg(newest));
            else if (version > newest)
                add(QStringLiteral("схема версии %1 новее программы (версия %2); обновите "
                                   "программу на машинах класса.")
                        .arg(version)
                        .arg(newest));
        }
        // The lab's own connection counts among them.
        if (limit >= 0 && connections >= limit)
            add(QStringLiteral("заняты все соединения класса (%1 из %2); новые машины не "
                               "войдут.")
                    .arg(connections)
                    .arg(limit));
    }
    if (store.isAdministrator()) {
        for (int k = 1; k <= ClassStore::RunTests; ++k) {
            if (!store.startRefusal(ClassStore::testName(k)).isEmpty())
                add(QStringLiteral("тест %1 не опубликован (server publish).").arg(k));
        }
    }
    return result;
}
