// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoredUser.h"

#include "Accounts.h"
#include "Store.h"

void StoredUser::write(const QByteArray &name, const QByteArray &password,
                       const QList<QByteArray> &grades)
{
    QList<IniProfile::Entry> entries{{name, "password", password}};
    for (int k = 1; k <= Accounts::TestCount; ++k) {
        const QByteArray grade =
            k <= grades.size() ? grades.at(k - 1) : QByteArray(k == 1 ? "1" : "0");
        entries.append({name, Accounts::testKey(k), grade});
    }
    Store::writeMany(entries, Accounts::UsersIni);
}
