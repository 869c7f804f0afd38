#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <stdexcept>

// The arguments after a command's name: positional ones in order, options
// that take a value ("--into DIR") and flags ("--source"). Anything the
// command does not know, a missing value or a wrong number of positional
// arguments throws UsageError.
class CommandArguments
{
public:
    class UsageError : public std::runtime_error
    {
    public:
        explicit UsageError(const QString &message)
            : std::runtime_error(message.toStdString()), m_message(message)
        {
        }
        const QString &message() const { return m_message; }

    private:
        QString m_message;
    };

    CommandArguments(const QStringList &args, const QStringList &valueOptions,
                     const QStringList &flags, int positionalCount);

    const QStringList &positional() const { return m_positional; }
    QString value(const QString &option, const QString &fallback = QString()) const;
    bool has(const QString &flag) const { return m_flags.contains(flag); }

private:
    QStringList m_positional;
    QHash<QString, QString> m_values;
    QSet<QString> m_flags;
};
