// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessKeys.h"

#include <QSet>

QStringList AccessKeys::assign(const QStringList &captions)
{
    QSet<QChar> taken;
    QStringList result;
    result.reserve(captions.size());
    for (const QString &caption : captions) {
        qsizetype chosen = -1;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption.at(i);
            if (c.isLetter() && !taken.contains(c.toLower())) {
                chosen = i;
                taken.insert(c.toLower());
                break;
            }
        }
        QString marked;
        marked.reserve(caption.size() + 2);
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (i == chosen)
                marked += QLatin1Char('&');
            if (caption.at(i) == QLatin1Char('&'))
                marked += QLatin1Char('&');
            marked += caption.at(i);
        }
        result.append(marked);
    }
    return result;
}

QChar AccessKeys::letterOf(const QString &marked)
{
    for (qsizetype i = 0; i + 1 < marked.size(); ++i) {
        if (marked.at(i) != QLatin1Char('&'))
            continue;
        if (marked.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return marked.at(i + 1).toLower();
    }
    return QChar();
}
