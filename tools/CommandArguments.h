// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <stdexcept>

// The arguments after a command's name: positional ones in order, options
// that take a value ("--into DIR" or "--into=DIR") and flags ("--source").
// Options are named with their dashes, as the synopsis spells them; a single
// dash works as well. "--" ends the options, so a name or password that
// begins with a dash can follow it. Anything the command does not know, a
// missing value or a wrong number of positional arguments throws UsageError.
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
    // Between fewest and most positional arguments.
    CommandArguments(const QStringList &args, const QStringList &valueOptions,
                     const QStringList &flags, int fewest, int most);

    const QStringList &positional() const { return m_positional; }
    QString value(const QString &option, const QString &fallback = QString()) const;
    bool has(const QString &flag) const;

private:
    QCommandLineParser m_parser;
    QStringList m_positional;
};
