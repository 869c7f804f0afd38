// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The quiz XML format: a <quiz> element holding <question type="…">
// elements, each with <name><text>, <questiontext format="…"><text> and, for
// multiple choice and true/false, <answer fraction="…"><text> elements
// (fraction 100 for the right answer, 0 for the others) and <single>.
// Category questions set where the following questions go; here they are
// only noted.
//
// Hostile input: a document type declaring entities is refused before any
// entity could be expanded, nesting deeper than MaxDepth and malformed XML
// stop the reading with a fault at their line; what was read before stays.
class QuizXmlFormat
{
public:
    static constexpr int MaxDepth = 32;

    // The text with LF line ends (BankText).
    static QuestionBank read(const QString &text);

    // UTF-8, every text in the plain text format.
    static QByteArray write(QList<BankQuestion> &questions);
};
