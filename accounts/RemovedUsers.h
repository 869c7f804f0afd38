// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

// "removed-users.ini" beside users.ini: every removed user's section as it
// stood, each after a comment line with the date and time of its removal, so
// that no removal loses a grade for good. The file only grows; a user removed
// twice is there twice, the later one last.
class RemovedUsers
{
public:
    static const QByteArray FileName; // "\removed-users.ini"

    // Appends the section of users.ini named so (in any letter case); nothing
    // when there is none. Throws the runtime's input/output error when the
    // file cannot be appended to, so that the removal does not go ahead.
    static void keep(const QByteArray &name, const QDateTime &when = QDateTime::currentDateTime());

    struct Kept
    {
        QDateTime removed;  // invalid where the comment line is missing or broken
        QByteArray section; // header to its last key line
        // The grades test1 … test10 as stored; 0 where none is.
        QList<int> grades;
        QByteArray removedText() const; // "YYYY-MM-DD HH:MM:SS", or "?"
    };
    // Every section kept under the name, in any letter case, oldest first. A
    // missing file keeps nothing.
    static QList<Kept> allKept(const QByteArray &name);
    // The same in the bytes of a removed-users.ini.
    static QList<Kept> keptIn(const QByteArray &file, const QByteArray &name);
    // The grades test1 … test10 of a section's bytes.
    static QList<int> gradesOf(const QByteArray &section);
};
