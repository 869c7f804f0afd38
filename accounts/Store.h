// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniProfile.h"

#include <QByteArray>
#include <QList>

// The scrambled INI store: every value of users.ini and of the test files goes
// through here. A file is named by the working directory followed by a
// relative name that begins with a backslash ("\users.ini").
class Store
{
public:
    // One fixed byte below 0x20: printable text (0x20-0xFF) scrambles to
    // printable text again, so no NUL, CR or LF ever reaches the file; and the
    // missing-value marker unscrambles to "??????", which no number conversion
    // takes for a grade.
    static constexpr char Key = 0x1E;

    // The default the INI read returns for a missing entry; callers receive it
    // unscrambled.
    static const QByteArray MissingMarker;

    // Byte-wise exclusive or with the key; its own inverse.
    static QByteArray crypt(const QByteArray &text);

    // The unscrambled missing-value marker, what a read gives for a missing
    // file, section or key.
    static QByteArray missing();

    // The local path a write of the file goes to: inside the course folder,
    // a link there followed only when its target lies inside too. Throws
    // RuntimeError naming the file otherwise.
    static QString writePath(const QByteArray &relativeName);

    static QByteArray read(const QByteArray &section, const QByteArray &key,
                           const QByteArray &relativeName);
    static void write(const QByteArray &section, const QByteArray &key, const QByteArray &value,
                      const QByteArray &relativeName);
    // Several writes of one command in one replacement, as if written in order.
    static void writeMany(const QList<IniProfile::Entry> &entries, const QByteArray &relativeName);
    static void eraseSection(const QByteArray &section, const QByteArray &relativeName);

    // The form a scrambled value takes in the file: between double quotes, so
    // leading and trailing blanks and quotes survive the read rule.
    static QByteArray encode(const QByteArray &value);
};
