// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BankQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The three exchange formats by the names the tool takes on its command line.
class BankFormat
{
public:
    enum class Format
    {
        Aiken,
        Gift,
        QuizXml
    };

    static std::optional<Format> byName(const QString &name);
    static QStringList names(); // "aiken", "gift", "moodle-xml"

    // The bank in a file's bytes, in whatever encoding and line ends they
    // come (BankText).
    static QuestionBank read(Format format, const QByteArray &bytes);

    // The questions not skipped, in UTF-8; adds to losses and skips what the
    // format cannot hold.
    static QByteArray write(Format format, QList<BankQuestion> &questions);
};
