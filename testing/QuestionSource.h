// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A question source text as the authoring tool reads it, one line after the
// other. A line ends at LF; a CR before the LF, like any other CR, is not part
// of it. Ctrl-Z ends the text. A last line without LF counts; a line break at
// the very end adds no empty line. Lines have no length limit.
//
// A teacher types sources in whatever her editor saves: Windows-1251, or
// UTF-8 with or without a byte-order mark. decode() brings either to the
// Windows-1251 bytes every test file holds, and reads answer markers typed on
// a Russian keyboard layout as the Latin ones they stand for.
class QuestionSource
{
public:
    static constexpr char EndOfText = 26;

    static QList<QByteArray> split(const QByteArray &text);

    // The text up to its first Ctrl-Z.
    static QByteArray usedPart(const QByteArray &text);

    // Throws the runtime's input/output error when the file cannot be opened.
    static QList<QByteArray> read(const QString &path);

    // A character of a UTF-8 source that Windows-1251 has no byte for.
    struct Foreign
    {
        int line = 0;   // from 1
        int column = 0; // the character's position in the line, from 1
        QString character;
    };

    // How the answer markers of one question were read.
    enum class Markers
    {
        LookAlike, // "А)" "В)" "С)" "Е)" read as the Latin letters they look like
        Alphabet,  // "А)" "Б)" "В)" "Г)" "Д)" read as A) … E) in alphabet order
        Ambiguous, // could be read either way: left as they are
    };

    struct MarkerReading
    {
        Markers markers;
        int line = 0;     // the question's line, from 1
        QByteArray typed; // the Cyrillic letters as typed, Windows-1251
        QByteArray read;  // the Latin letters they were read as (empty when ambiguous)
    };

    struct Text
    {
        QByteArray bytes;        // the whole text in Windows-1251, without a byte-order mark
        QList<QByteArray> lines; // the lines of bytes, markers read as Latin letters
        bool utf8 = false;
        QList<Foreign> foreign;
        QList<MarkerReading> markerReadings;
    };

    // A text with a UTF-8 byte-order mark, or valid UTF-8 holding at least one
    // multi-byte sequence, is UTF-8; any other is Windows-1251, taken byte for
    // byte. A Windows-1251 text without Cyrillic answer markers decodes to the
    // lines split() gives.
    static Text decode(const QByteArray &raw);
    static Text readText(const QString &path);

    // Valid UTF-8 that holds at least one multi-byte sequence. Russian text in
    // Windows-1251 is never that: a letter there is a byte of C0…FF, which
    // UTF-8 would need followed by a byte of 80…BF, and ordinary text does not
    // keep that up over a whole file.
    static bool isUtf8(const QByteArray &text);

    static const QByteArray ByteOrderMark;

    // The lines with the Cyrillic markers of each question read as Latin ones
    // where only one reading fits, and how each question's markers were read.
    static QList<QByteArray> readMarkers(const QList<QByteArray> &lines,
                                         QList<MarkerReading> *readings);
};
