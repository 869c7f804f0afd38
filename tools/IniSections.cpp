// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSections.h"

#include "CodePage.h"
#include "TextFile.h"

#include <QSet>

namespace {

QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QList<QByteArray> IniSections::list(const QString &path)
{
    return parse(TextFile::read(path));
}

QList<QByteArray> IniSections::parse(const QByteArray &text)
{
    QList<QByteArray> names;
    QSet<QByteArray> seen;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArray line = trimBlanks(text.mid(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;

        if (!line.startsWith('['))
            continue;
        QByteArray name = line.mid(1);
        const qsizetype close = name.indexOf(']');
        if (close >= 0)
            name.truncate(close);
        name = trimBlanks(name);
        const QByteArray folded = CodePage::fold(name);
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        names.append(name);
    }
    return names;
}
