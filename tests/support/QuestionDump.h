// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// What a test file asks, in the order the test panel shows it, for comparing
// two files question by question.
class QuestionDump
{
public:
    // The count text, then for questions 1 … count the question, its five
    // answers and its right answer.
    static QList<QByteArray> asked(const QByteArray &relativeName);
};
