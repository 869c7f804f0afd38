// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Texts of the exchange formats reduced to the one line of plain text that a
// test shows: markup removed, character references decoded, line breaks and
// runs of blanks turned into one blank.
class PlainText
{
public:
    struct Reduced
    {
        QString text;
        bool droppedMedia = false; // an image, sound, video or embedded object
    };

    // HTML as the formats allow it in texts: tags removed (those that break a
    // line leave a blank), comments, scripts and styles dropped, named and
    // numeric character references decoded.
    static Reduced fromHtml(const QString &html);

    // Control characters and line breaks become blanks, runs of blanks one
    // blank, and the ends are trimmed; soft hyphens and byte-order marks go.
    static QString joined(const QString &text);

    // The character a reference names ("amp", "#1105", "#x44F"), or an empty
    // string when it names none.
    static QString entity(const QString &name);
};
