// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankFormat.h"
#include "BankQuestion.h"

#include <QList>

// What import and export say on standard error about a bank: one line per
// question not carried whole, the file's faults and notes, and the summary.
class BankFindings
{
public:
    struct Counts
    {
        int carried = 0;
        int skipped = 0;
        bool whole = true; // every question carried without loss, no fault
    };

    static Counts report(const QuestionBank &bank);
    static QString describe(const BankQuestion &question);

    // The FORMAT argument of import and export; an unknown name is a usage
    // error that lists the known ones.
    static BankFormat::Format formatArgument(const QString &name);
};
