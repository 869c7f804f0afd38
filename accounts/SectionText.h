// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// The sections of an INI file as bytes: where each begins and ends, so that a
// user's section can be kept, moved or renamed exactly as it stands,
// scrambled values, key order and line ends included. Headers follow the
// profile's rule: blanks around the line and the name are ignored and the
// first "]" ends the name.
class SectionText
{
public:
    struct Span
    {
        QByteArray name;
        qsizetype begin = -1; // the header line's first byte
        qsizetype header = 0; // the byte after the header line's end
        qsizetype end = -1;   // after the line end of the last key line
        bool found() const { return begin >= 0; }
    };

    // Every section in file order. A span runs from its header to its last
    // key line; blank and comment lines after it belong to no section.
    static QList<Span> all(const QByteArray &file);

    // The first or last section named so without regard to letter case.
    static Span first(const QByteArray &file, const QByteArray &name);
    static Span last(const QByteArray &file, const QByteArray &name);

    // The file with that section's header naming it anew, nothing else changed.
    static QByteArray renamed(const QByteArray &file, const Span &span, const QByteArray &name);

    // The file with the section's bytes after it, each on lines of its own.
    static QByteArray appended(const QByteArray &file, const QByteArray &section);
};
