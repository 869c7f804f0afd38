// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The text of a bank file. UTF-8 with or without a byte-order mark and
// Windows-1251 are told apart the way "check" tells a source's encoding
// (valid UTF-8 holding a multi-byte sequence is UTF-8); a UTF-16 byte-order
// mark is honoured too. Line ends become LF whether they were CR LF, LF or CR,
// so that line numbers count the way an editor shows them.
class BankText
{
public:
    // Files above this size are refused rather than read: no bank a teacher
    // writes comes near it.
    static constexpr qint64 MaxSize = 64 * 1024 * 1024;

    static QString decode(const QByteArray &bytes);
    static QString normalizedLineEnds(const QString &text);
};
