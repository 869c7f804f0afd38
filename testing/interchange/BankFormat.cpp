// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankFormat.h"

#include "AikenFormat.h"
#include "BankText.h"
#include "GiftFormat.h"
#include "QuizXmlFormat.h"

namespace {

struct Named
{
    const char *name;
    BankFormat::Format format;
};

const Named Formats[] = {
    {"aiken", BankFormat::Format::Aiken},
    {"gift", BankFormat::Format::Gift},
    {"moodle-xml", BankFormat::Format::QuizXml},
};

} // namespace

std::optional<BankFormat::Format> BankFormat::byName(const QString &name)
{
    for (const Named &n : Formats) {
        if (name == QLatin1String(n.name))
            return n.format;
    }
    return std::nullopt;
}

QStringList BankFormat::names()
{
    QStringList out;
    for (const Named &n : Formats)
        out.append(QLatin1String(n.name));
    return out;
}

QuestionBank BankFormat::read(Format format, const QByteArray &bytes)
{
    const QString text = BankText::decode(bytes);
    switch (format) {
    case Format::Aiken:
        return AikenFormat::read(text);
    case Format::Gift:
        return GiftFormat::read(text);
    case Format::QuizXml:
        return QuizXmlFormat::read(text);
    }
    return QuestionBank();
}

QByteArray BankFormat::write(Format format, QList<BankQuestion> &questions)
{
    switch (format) {
    case Format::Aiken:
        return AikenFormat::write(questions);
    case Format::Gift:
        return GiftFormat::write(questions);
    case Format::QuizXml:
        return QuizXmlFormat::write(questions);
    }
    return QByteArray();
}
