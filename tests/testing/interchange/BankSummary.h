// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QFile>
#include <QStringList>

// One line that says what a question came to: where it is, its text and its
// answers with "*" before the right one, or why it was skipped.
inline QString bankSummary(const BankQuestion &q)
{
    if (q.skipped())
        return q.place + QStringLiteral(" | пропущен: ") + q.skip;
    QStringList answers;
    for (qsizetype i = 0; i < q.answers.size(); ++i)
        answers.append((i == q.right ? QStringLiteral("*") : QString()) + q.answers[i]);
    return q.place + QStringLiteral(" | ") + q.text + QStringLiteral(" | ") +
           answers.join(QStringLiteral(" / "));
}

// A file written for these tests, below tests/testing/interchange.
inline QByteArray bankFile(const QString &name)
{
    QFile file(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/testing/interchange/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
