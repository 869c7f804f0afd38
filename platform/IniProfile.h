// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The profile functions of the original platform, on byte strings, for a file
// named by its local path.
//
// Reading: section and key names match without regard to letter case
// (Windows-1251 Cyrillic included); blanks around names and values are
// ignored; a pair of matching quotes enclosing the whole value is removed
// once; ";" lines are comments; a header ends at its first "]" ("[" without
// "]" still opens a section); the first of two equal sections or keys counts;
// lines end with CR LF, CR or LF. A value is cut to 2047 bytes.
//
// Writing edits the file in place: an existing value is replaced in its line,
// a missing key is added after the last key line of its section, a missing
// section is appended as "[section]" CR LF "key=value" CR LF, a missing file is
// created. Every other byte stays as it was. Each write takes a lock beside the
// file and replaces the file atomically, so two running copies never lose each
// other's writes and a crash leaves the old file or the new one.
//
// A refused write or removal throws RuntimeError "Unable to write to %s".
class IniProfile
{
public:
    static constexpr int MaxValueLength = 2047;

    struct Entry
    {
        QByteArray section;
        QByteArray key;
        QByteArray value;
    };

    static QByteArray read(const QString &path, const QByteArray &section, const QByteArray &key,
                           const QByteArray &defaultValue);

    static void write(const QString &path, const QByteArray &section, const QByteArray &key,
                      const QByteArray &value);

    // Applies the entries in order under one lock and one replacement; the file
    // that results is the one that writing them one by one would give.
    static void writeMany(const QString &path, const QList<Entry> &entries);

    // Removes the section's header and its key lines; a missing section or
    // file changes nothing.
    static void eraseSection(const QString &path, const QByteArray &section);

    // Throws what a write would for a file that cannot be written, without
    // writing anything.
    static void checkWritable(const QString &path);

    // Whether the file has a section of that name; a missing or unreadable
    // file has none.
    static bool hasSection(const QString &path, const QByteArray &section);
};
