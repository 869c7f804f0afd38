// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The kinds of line in a question source text and its right-answer mark.
// A line is empty, an answer line ("A)" … "E)" at its very start, Latin
// capitals), the separator ("********" exactly) or a question line, tested in
// that order.
class SourceLine
{
public:
    enum class Kind
    {
        Empty,
        Answer,
        Separator,
        Question
    };

    static constexpr int AnswerCount = 5;
    static const QByteArray Separator;

    static Kind kind(const QByteArray &line);

    // 0 … 4 for an answer line of A … E, -1 for any other line.
    static int answerIndex(const QByteArray &line);

    // The asterisk at the end of any line but the separator.
    static bool isMarked(const QByteArray &line);

    // The right answer a marked line sets: '1' … '5' for a first character
    // A … E, 0 when the line is unmarked or begins with anything else.
    static char markedDigit(const QByteArray &line);

    // The prefix of answer 0 … 4: "A)" … "E)".
    static QByteArray answerPrefix(int index);
};
