// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>

// An unforeseen failure (missing file, refused write, bad number). It carries
// the runtime's message as the user is to read it; the handler that started the
// command catches it at its edge and shows it in the error box.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
