// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The Aiken format: a question on one line, its answers each on a line of
// their own beginning with a capital letter and "." or ")" and a blank, then
// "ANSWER: " and the right letter. Questions are parted by blank lines, which
// the reader does not need: a question ends at its ANSWER line. A question
// text spread over several lines is joined by blanks.
class AikenFormat
{
public:
    // The text with LF line ends (BankText).
    static QuestionBank read(const QString &text);

    // UTF-8; a question whose text is empty or would read as an answer or
    // ANSWER line is left out with its finding.
    static QByteArray write(QList<BankQuestion> &questions);

    // The letter of an answer line, or a null character; *text gets the rest.
    static QChar answerLetter(const QString &line, QString *text);
};
