// SPDX-License-Identifier: GPL-3.0-or-later
#include "Console.h"

#include <cstdio>

const char *const Console::ProgramName = "coursebook-admin";

namespace {

void writeTo(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Console::out(const QString &line)
{
    writeTo(stdout, (line + QLatin1Char('\n')).toUtf8());
}

void Console::outBytes(const QByteArray &bytes)
{
    writeTo(stdout, bytes);
}

void Console::error(const QString &message)
{
    writeTo(
        stderr,
        (QLatin1String(ProgramName) + QStringLiteral(": ") + message + QLatin1Char('\n')).toUtf8());
}

void Console::warning(const QString &message)
{
    writeTo(stderr, (message + QLatin1Char('\n')).toUtf8());
}
