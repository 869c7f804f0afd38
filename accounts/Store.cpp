// SPDX-License-Identifier: GPL-3.0-or-later
#include "Store.h"

#include "FolderBounds.h"
#include "Paths.h"

const QByteArray Store::MissingMarker = QByteArrayLiteral("!!!!!!");

QByteArray Store::crypt(const QByteArray &text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = char(text[i] ^ Key);
    return out;
}

QByteArray Store::missing()
{
    return crypt(MissingMarker);
}

QByteArray Store::encode(const QByteArray &value)
{
    return '"' + crypt(value) + '"';
}

QByteArray Store::read(const QByteArray &section, const QByteArray &key,
                       const QByteArray &relativeName)
{
    return crypt(IniProfile::read(Paths::resolve(relativeName), section, key, MissingMarker));
}

QString Store::writePath(const QByteArray &relativeName)
{
    return FolderBounds::recordPath(Paths::resolve(relativeName));
}

void Store::write(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                  const QByteArray &relativeName)
{
    IniProfile::write(writePath(relativeName), section, key, encode(value));
}

void Store::writeMany(const QList<IniProfile::Entry> &entries, const QByteArray &relativeName)
{
    QList<IniProfile::Entry> encoded;
    encoded.reserve(entries.size());
    for (const IniProfile::Entry &e : entries)
        encoded.append({e.section, e.key, encode(e.value)});
    IniProfile::writeMany(writePath(relativeName), encoded);
}

void Store::eraseSection(const QByteArray &section, const QByteArray &relativeName)
{
    IniProfile::eraseSection(writePath(relativeName), section);
}
