// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// One profile file read once, answering IniProfile::read's look-ups from
// memory: the same value, the same default for a missing file, section or
// key, the same cut to 2047 bytes. The first section of each name is found
// through a table built in one pass over the headers, and its keys through
// IniDocument::find on that section's bytes alone, so that a whole test file
// reads in time linear in its size while the line rules stay those of the
// store.
class IniSnapshot
{
public:
    explicit IniSnapshot(QByteArray source);

    // A file that cannot be read gives an empty snapshot, as a read of it
    // gives the default.
    static IniSnapshot load(const QString &path);

    QByteArray read(const QByteArray &section, const QByteArray &key,
                    const QByteArray &defaultValue) const;

private:
    struct Span
    {
        qsizetype start = 0; // the header line
        qsizetype end = 0;   // the next header line, or the end of the bytes
    };

    QByteArray m_source;
    QHash<QByteArray, Span> m_sections; // folded name → first section so named
};
