// SPDX-License-Identifier: GPL-3.0-or-later
#include "Console.h"

#include <cstdio>
#include <unistd.h>

const char *const Console::ProgramName = "coursebook-admin";

namespace {

bool isControl(char32_t c)
{
    return (c < 0x20 && c != '\n' && c != '\t') || (c >= 0x7F && c < 0xA0);
}

void writeTo(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QString Console::inert(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (QChar c : text) {
        if (isControl(c.unicode()))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

void Console::out(const QString &line)
{
    writeTo(stdout, (inert(line) + QLatin1Char('\n')).toUtf8());
}

void Console::outBytes(const QByteArray &bytes)
{
    if (!::isatty(STDOUT_FILENO)) {
        writeTo(stdout, bytes);
        return;
    }
    // On a terminal the text's own line ends stay.
    QByteArray shown;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool lineEnd = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (uchar(c) < 0x20 && c != '\n' && c != '\t' && !lineEnd)
            shown += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        else
            shown += c;
    }
    writeTo(stdout, shown);
}

void Console::error(const QString &message)
{
    writeTo(stderr,
            (QLatin1String(ProgramName) + QStringLiteral(": ") + inert(message) + QLatin1Char('\n'))
                .toUtf8());
}

void Console::warning(const QString &message)
{
    writeTo(stderr, (inert(message) + QLatin1Char('\n')).toUtf8());
}
