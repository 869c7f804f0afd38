// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassRecords.h"

#include "CodePage.h"
#include "IniDocument.h"
#include "IntegerText.h"
#include "RuntimeError.h"

#include <QHash>

ClassRecords ClassRecords::build(const ClassStore::UsersInput &input)
{
    ClassRecords records;
    QHash<QByteArray, qsizetype> recordOf;
    for (qsizetype i = 0; i < input.records.size(); ++i)
        recordOf.insert(CodePage::fold(input.records[i].name), i);

    QHash<QByteArray, bool> listed;
    for (const QByteArray &name : input.list) {
        if (name.isEmpty())
            continue;
        // A record's name is read without the blanks around it.
        const QByteArray folded = CodePage::fold(IniDocument::trimmed(name).toByteArray());
        if (listed.contains(folded)) {
            records.repeated.append(name);
            continue;
        }
        listed.insert(folded, true);

        User user;
        user.name = name;
        const auto found = recordOf.constFind(folded);
        user.hasRecord = found != recordOf.constEnd();
        if (!user.hasRecord) {
            records.withoutRecord.append(name);
            records.users.append(user);
            continue;
        }
        const ClassStore::StoredUser &stored = input.records[*found];
        for (int k = 1; k <= Tests; ++k) {
            const QByteArray &text = stored.grades[k - 1];
            try {
                user.grades[k - 1] = quint8(IntegerText::parse(text) & 0xFF);
            } catch (const RuntimeError &) {
                records.badGrades.append({name, k, text, text == input.missing});
            }
        }
        records.users.append(user);
    }
    for (const ClassStore::StoredUser &record : input.records) {
        if (!listed.contains(CodePage::fold(record.name)))
            records.unlisted.append(record.name);
    }
    records.fileErrors = input.failures;
    records.storeFindings = input.findings;
    return records;
}

ClassRecords ClassRecords::read(const ClassStore &store)
{
    return build(store.usersInput());
}
