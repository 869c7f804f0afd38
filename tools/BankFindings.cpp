// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankFindings.h"

#include "CommandArguments.h"
#include "Console.h"

QString BankFindings::describe(const BankQuestion &q)
{
    if (q.skipped()) {
        QString text = QStringLiteral("%1: пропущен: %2").arg(q.place, q.skip);
        return text;
    }
    return QStringLiteral("%1: %2").arg(q.place, q.losses.join(QStringLiteral("; ")));
}

BankFindings::Counts BankFindings::report(const QuestionBank &bank)
{
    Counts counts;
    for (const QString &note : bank.notes)
        Console::warning(note);
    for (const QString &fault : bank.faults)
        Console::warning(fault);
    counts.whole = bank.faults.isEmpty();
    for (const BankQuestion &q : bank.questions) {
        if (q.skipped())
            ++counts.skipped;
        else
            ++counts.carried;
        if (q.skipped() || !q.losses.isEmpty()) {
            Console::warning(describe(q));
            counts.whole = false;
        }
    }
    return counts;
}

BankFormat::Format BankFindings::formatArgument(const QString &name)
{
    const std::optional<BankFormat::Format> format = BankFormat::byName(name);
    if (!format)
        throw CommandArguments::UsageError(
            QStringLiteral("неизвестный формат %1; форматы: %2")
                .arg(name, BankFormat::names().join(QStringLiteral(", "))));
    return *format;
}
