// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankText.h"

#include "CodePage.h"
#include "QuestionSource.h"

#include <QStringDecoder>

QString BankText::decode(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        text = decoder.decode(bytes.mid(2));
    } else if (QuestionSource::isUtf8(bytes)) {
        text = QString::fromUtf8(bytes);
    } else {
        text = CodePage::toUnicode(bytes);
    }
    return normalizedLineEnds(text);
}

QString BankText::normalizedLineEnds(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r')) {
            out.append(c);
            continue;
        }
        out.append(QLatin1Char('\n'));
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
    }
    return out;
}
