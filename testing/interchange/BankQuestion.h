// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One question of a question bank as the exchange formats carry it, reduced
// to what a test can hold: a one-line text, its answers in order and the one
// right answer. What did not come across whole is said in losses; a question
// that cannot be carried at all says why in skip.
struct BankQuestion
{
    QString place; // how findings name it: "строка 12", "вопрос 3 «Сети»"
    QString text;
    QStringList answers;
    int right = -1; // index into answers, -1 for none
    QStringList losses;
    QString skip;

    bool skipped() const { return !skip.isEmpty(); }
};

// A whole bank as read from one file.
struct QuestionBank
{
    QList<BankQuestion> questions;
    // About the file rather than one question. Faults mean that something
    // was not read (broken input); notes only tell what was left aside on
    // purpose (categories).
    QStringList faults;
    QStringList notes;
    // Set when the file is refused as a whole and nothing is to be written.
    QString refusal;
};
