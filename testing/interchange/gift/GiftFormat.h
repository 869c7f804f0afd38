// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The GIFT format: questions parted by blank lines, "//" comment lines, an
// optional "::title::", an optional "[html]", "[moodle]", "[plain]" or
// "[markdown]" text format, the question text and its answers in braces:
// "=" before the right one, "~" before the others, "#" before feedback,
// "%n%" before a weight. A backslash keeps ~ = # { } : from their meaning
// and "\n" is a line break. "{T}" / "{F}" is true or false; "{}" an essay,
// "{#…}" numerical, "->" matching, "=" only a short answer, no braces a
// description. Text after the braces makes the braces a missing word, shown
// as a blank to fill.
class GiftFormat
{
public:
    static const QString TrueText;  // "Верно"
    static const QString FalseText; // "Неверно"

    // The text with LF line ends (BankText).
    static QuestionBank read(const QString &text);

    // UTF-8, every text in the plain format, specials escaped.
    static QByteArray write(QList<BankQuestion> &questions);

    static QString escaped(const QString &text);
};
