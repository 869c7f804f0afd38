#include "CommandArguments.h"

CommandArguments::CommandArguments(const QStringList &args, const QStringList &valueOptions,
                                   const QStringList &flags, int positionalCount)
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            m_positional.append(arg);
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("у параметра %1 нет значения").arg(arg));
            m_values.insert(arg, args[++i]);
        } else if (flags.contains(arg)) {
            m_flags.insert(arg);
        } else {
            throw UsageError(QStringLiteral("неизвестный параметр %1").arg(arg));
        }
    }
    if (m_positional.size() != positionalCount)
        throw UsageError(QStringLiteral("неверное число аргументов"));
}

QString CommandArguments::value(const QString &option, const QString &fallback) const
{
    return m_values.value(option, fallback);
}
