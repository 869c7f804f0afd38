// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassRecords.h"

#include "Accounts.h"
#include "CodePage.h"
#include "IniDocument.h"
#include "IniProfile.h"
#include "IntegerText.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TextFile.h"
#include "UserList.h"

#include <QFileInfo>
#include <QHash>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Section
{
    QByteArray name;
    QByteArrayView bytes; // from its header line to the next header
};

// The sections of users.ini by the header rule of the profile reads: a line
// whose first non-blank byte is "["; the name runs to the first "]" (or the
// line's end), blanks around it dropped; of names equal without regard to
// letter case only the first counts. Each section keeps its own bytes, so a
// look-up in it costs its length rather than the file's.
QList<Section> splitSections(const QByteArray &ini)
{
    QList<Section> sections;
    QHash<QByteArray, bool> seen;
    const char *d = ini.constData();
    const qsizetype size = ini.size();
    qsizetype openAt = -1;
    QByteArray openName;
    auto close = [&](qsizetype end) {
        if (openAt < 0)
            return;
        const QByteArray folded = CodePage::fold(openName);
        if (!seen.contains(folded)) {
            seen.insert(folded, true);
            sections.append({openName, QByteArrayView(d + openAt, end - openAt)});
        }
    };
    for (qsizetype start = 0; start < size;) {
        qsizetype end = start;
        while (end < size && d[end] != '\r' && d[end] != '\n')
            ++end;
        qsizetype p = start;
        while (p < end && isBlank(d[p]))
            ++p;
        if (p < end && d[p] == '[') {
            close(start);
            qsizetype n = p + 1;
            while (n < end && isBlank(d[n]))
                ++n;
            qsizetype e = n;
            while (e < end && d[e] != ']')
                ++e;
            while (e > n && isBlank(d[e - 1]))
                --e;
            openAt = start;
            openName = QByteArray(d + n, e - n);
        }
        if (end < size && d[end] == '\r' && end + 1 < size && d[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    close(size);
    return sections;
}

QList<QByteArray> splitList(const QByteArray &data)
{
    QList<QByteArray> names;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        names.append(data.mid(start, end - start));
        if (end < data.size() && data[end] == '\r' && end + 1 < data.size() &&
            data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return names;
}

// The stored grade as read-and-unscramble gives it: the missing-value marker
// when absent, cut to the length the profile read returns.
QByteArray storedValue(QByteArrayView section, const QByteArray &name, int k)
{
    QByteArray value;
    if (!IniDocument::find(section, name, Accounts::testKey(k), &value))
        value = Store::MissingMarker;
    if (value.size() > IniProfile::MaxValueLength)
        value.truncate(IniProfile::MaxValueLength);
    return Store::crypt(value);
}

} // namespace

ClassRecords ClassRecords::parse(const QByteArray &list, const QByteArray &usersIni)
{
    ClassRecords records;
    const QList<Section> sections = splitSections(usersIni);
    QHash<QByteArray, qsizetype> sectionOf;
    for (qsizetype i = 0; i < sections.size(); ++i)
        sectionOf.insert(CodePage::fold(sections[i].name), i);

    QHash<QByteArray, bool> listed;
    for (const QByteArray &name : splitList(list)) {
        if (name.isEmpty())
            continue;
        // The profile reads drop the blanks around a section name.
        const QByteArray folded = CodePage::fold(IniDocument::trimmed(name).toByteArray());
        if (listed.contains(folded)) {
            records.repeated.append(name);
            continue;
        }
        listed.insert(folded, true);

        User user;
        user.name = name;
        const auto found = sectionOf.constFind(folded);
        user.hasRecord = found != sectionOf.constEnd();
        if (!user.hasRecord) {
            records.withoutRecord.append(name);
            records.users.append(user);
            continue;
        }
        const QByteArrayView section = sections[*found].bytes;
        for (int k = 1; k <= Tests; ++k) {
            const QByteArray stored = storedValue(section, name, k);
            try {
                user.grades[k - 1] = quint8(IntegerText::parse(stored) & 0xFF);
            } catch (const RuntimeError &) {
                records.badGrades.append({name, k, stored, stored == Store::missing()});
            }
        }
        records.users.append(user);
    }
    for (const Section &section : sections) {
        if (!listed.contains(CodePage::fold(section.name)))
            records.unlisted.append(section.name);
    }
    return records;
}

ClassRecords ClassRecords::read()
{
    QByteArray list;
    QByteArray ini;
    QStringList errors;
    try {
        list = TextFile::read(Paths::resolve(UserList::FileName));
    } catch (const RuntimeError &e) {
        errors.append(QStringLiteral("список пользователей %1: %2")
                          .arg(Paths::display(Paths::resolve(UserList::FileName)), e.message()));
    }
    const QString iniPath = Paths::resolve(Accounts::UsersIni);
    QString iniError;
    try {
        ini = TextFile::read(iniPath);
    } catch (const RuntimeError &e) {
        iniError = QStringLiteral("оценки %1: %2").arg(Paths::display(iniPath), e.message());
    }
    ClassRecords records = parse(list, ini);
    // A new installation has an empty list and no users.ini yet.
    if (!iniError.isEmpty() && (!records.users.isEmpty() || QFileInfo::exists(iniPath)))
        errors.append(iniError);
    records.fileErrors = errors;
    return records;
}
