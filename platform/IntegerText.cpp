// SPDX-License-Identifier: GPL-3.0-or-later
#include "IntegerText.h"

#include "CodePage.h"

#include <limits>

RuntimeError IntegerText::notAnInteger(const QByteArray &text)
{
    return RuntimeError(
        QStringLiteral("'%1' is not a valid integer value").arg(CodePage::toUnicode(text)));
}

int IntegerText::parse(const QByteArray &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        throw notAnInteger(text);

    // The magnitude of the smallest int is one more than that of the largest.
    const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : std::numeric_limits<int>::max();
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw notAnInteger(text);
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            throw notAnInteger(text);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}
