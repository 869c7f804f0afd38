// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QByteArray>
#include <QList>

// The question source that "convert" turns into a test holding a bank's
// questions: Windows-1251, CR LF, for each question its line, all five answer
// lines and the separator, and a closing question line at the end (the count
// rule).
//
// A question with fewer than five answers still gets all five lines, since
// the conversion would carry a missing letter's text over from the previous
// question: the letters it lacks get a bare prefix ("D)"), which a test run
// shows as the letter alone with no answer text. Export reads such an
// answer as absent again.
//
// What the source cannot keep is added to the question's losses: characters
// the code page lacks (written as "?"), a text that would be read as another
// line kind (changed so that it is not), a line longer than a read returns.
// Questions that are already skipped, and those a test cannot hold (more than
// five answers, fewer than two, no text, no right answer), are left out.
class SourceWriter
{
public:
    static const QByteArray ClosingLine;    // "Конец теста"
    static const QByteArray QuestionPrefix; // "Вопрос: ", ahead of a text read as another kind

    // Updates the questions' losses and skips; returns the source text.
    static QByteArray write(QList<BankQuestion> &questions);

    // The text in Windows-1251; each character the code page lacks becomes
    // "?" and is listed in *lacking.
    static QByteArray encode(const QString &text, QString *lacking);
};
