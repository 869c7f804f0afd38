// SPDX-License-Identifier: GPL-3.0-or-later
#include "SectionText.h"

#include "CodePage.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmed(const QByteArray &text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

QByteArray lineEnd(const QByteArray &text)
{
    return text.contains("\r\n") || !text.contains('\n') ? QByteArrayLiteral("\r\n")
                                                         : QByteArrayLiteral("\n");
}

} // namespace

QList<SectionText::Span> SectionText::all(const QByteArray &file)
{
    QList<Span> spans;
    qsizetype start = 0;
    while (start < file.size()) {
        qsizetype end = start;
        while (end < file.size() && file[end] != '\r' && file[end] != '\n')
            ++end;
        const QByteArray line = trimmed(file.mid(start, end - start));
        if (end < file.size() && file[end] == '\r' && end + 1 < file.size() &&
            file[end + 1] == '\n')
            ++end;
        const qsizetype next = end < file.size() ? end + 1 : end;
        if (line.startsWith('[')) {
            QByteArray name = line.mid(1);
            const qsizetype close = name.indexOf(']');
            if (close >= 0)
                name.truncate(close);
            spans.append({trimmed(name), start, next, next});
        } else if (!line.isEmpty() && !line.startsWith(';') && !spans.isEmpty()) {
            spans.last().end = next;
        }
        start = next;
    }
    return spans;
}

SectionText::Span SectionText::first(const QByteArray &file, const QByteArray &name)
{
    for (const Span &s : all(file)) {
        if (CodePage::equalsIgnoreCase(s.name, name))
            return s;
    }
    return {};
}

SectionText::Span SectionText::last(const QByteArray &file, const QByteArray &name)
{
    Span found;
    for (const Span &s : all(file)) {
        if (CodePage::equalsIgnoreCase(s.name, name))
            found = s;
    }
    return found;
}

QByteArray SectionText::renamed(const QByteArray &file, const Span &span, const QByteArray &name)
{
    QByteArray header = file.mid(span.begin, span.header - span.begin);
    qsizetype bodyEnd = header.size();
    while (bodyEnd > 0 && (header[bodyEnd - 1] == '\r' || header[bodyEnd - 1] == '\n'))
        --bodyEnd;
    const QByteArray ending = header.mid(bodyEnd);
    return file.left(span.begin) + '[' + name + ']' + ending + file.mid(span.header);
}

QByteArray SectionText::appended(const QByteArray &file, const QByteArray &section)
{
    const QByteArray ending = lineEnd(file.isEmpty() ? section : file);
    QByteArray out = file;
    if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r'))
        out += ending;
    out += section;
    if (!out.endsWith('\n') && !out.endsWith('\r'))
        out += ending;
    return out;
}
