// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QList>

class TestFile;

// A test's questions 1 … count as a bank, for export: the answer letters
// and their "A) " prefixes taken off, the blank that stands for the
// right-answer mark dropped, answers that hold nothing but their letter left
// out (the way import writes a question's missing letters). What the bank
// cannot say the way the test says it is a loss: a text that import would
// bring back different (blanks, control characters), an answer without its
// own prefix, answers that move up a letter, a missing value. A question
// without a valid right answer or with fewer than two answers is skipped.
class TestBank
{
public:
    // Throws RuntimeError when the count is not a number.
    static QList<BankQuestion> fromTest(const TestFile &file);
};
