// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandArguments.h"

#include <QCommandLineOption>

namespace {

const QString Dash = QStringLiteral("-");
const QString OptionsEnd = QStringLiteral("--");

QString bareName(const QString &option)
{
    QString name = option;
    while (name.startsWith(Dash))
        name.remove(0, 1);
    return name;
}

// The parser names what it refused without dashes and words the rest in
// English; the refused argument is found again as the user typed it.
QString refusal(const QStringList &args, const QStringList &valueOptions,
                const QStringList &unknown)
{
    qsizetype end = args.indexOf(OptionsEnd);
    if (end < 0)
        end = args.size();
    for (qsizetype i = 0; i < end; ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(Dash) || arg == Dash)
            continue;
        const QString name = bareName(arg).section(QLatin1Char('='), 0, 0);
        const QString spelt = arg.section(QLatin1Char('='), 0, 0);
        if (unknown.contains(name))
            return QStringLiteral("неизвестный параметр %1").arg(spelt);
        const bool takesValue = valueOptions.contains(OptionsEnd + name);
        if (takesValue && !arg.contains(QLatin1Char('=')) && i + 1 >= args.size())
            return QStringLiteral("у параметра %1 нет значения").arg(spelt);
        if (!takesValue && arg.contains(QLatin1Char('=')))
            return QStringLiteral("у параметра %1 не бывает значения").arg(spelt);
        if (takesValue && !arg.contains(QLatin1Char('=')))
            ++i;
    }
    return QStringLiteral("неверные параметры");
}

} // namespace

CommandArguments::CommandArguments(const QStringList &args, const QStringList &valueOptions,
                                   const QStringList &flags, int positionalCount)
    : CommandArguments(args, valueOptions, flags, positionalCount, positionalCount)
{
}

CommandArguments::CommandArguments(const QStringList &args, const QStringList &valueOptions,
                                   const QStringList &flags, int fewest, int most)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString &option : valueOptions)
        m_parser.addOption(QCommandLineOption(bareName(option), QString(), bareName(option)));
    for (const QString &flag : flags)
        m_parser.addOption(QCommandLineOption(bareName(flag)));
    // The parser takes the first argument for the program's own name.
    if (!m_parser.parse(QStringList{QString()} + args))
        throw UsageError(refusal(args, valueOptions, m_parser.unknownOptionNames()));
    m_positional = m_parser.positionalArguments();
    if (m_positional.size() < fewest || m_positional.size() > most)
        throw UsageError(QStringLiteral("неверное число аргументов"));
}

QString CommandArguments::value(const QString &option, const QString &fallback) const
{
    // Asking the parser about an option it was not given would warn.
    const QString name = bareName(option);
    return m_parser.optionNames().contains(name) ? m_parser.value(name) : fallback;
}

bool CommandArguments::has(const QString &flag) const
{
    return m_parser.optionNames().contains(bareName(flag));
}
