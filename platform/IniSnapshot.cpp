// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniSnapshot.h"

#include "CodePage.h"
#include "FileRead.h"
#include "IniDocument.h"
#include "IniProfile.h"

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// A header line is one whose first non-blank byte is "["; a line starts after
// LF, after CR, or at the start of the bytes.
qsizetype headerLineStart(const char *d, qsizetype bracket)
{
    qsizetype q = bracket;
    while (q > 0 && isBlank(d[q - 1]))
        --q;
    return (q == 0 || isLineEnd(d[q - 1])) ? q : -1;
}

QByteArray headerName(const char *d, qsizetype size, qsizetype bracket)
{
    qsizetype start = bracket + 1;
    qsizetype end = start;
    while (end < size && d[end] != ']' && !isLineEnd(d[end]))
        ++end;
    while (start < end && isBlank(d[start]))
        ++start;
    while (end > start && isBlank(d[end - 1]))
        --end;
    return CodePage::fold(QByteArray(d + start, end - start));
}

} // namespace

IniSnapshot::IniSnapshot(QByteArray source) : m_source(std::move(source))
{
    const char *d = m_source.constData();
    const qsizetype size = m_source.size();
    QByteArray open;
    qsizetype openStart = -1;
    const auto close = [&](qsizetype end) {
        if (openStart >= 0 && !m_sections.contains(open))
            m_sections.insert(open, Span{openStart, end});
    };
    for (qsizetype p = 0; p < size;) {
        const void *hit = std::memchr(d + p, '[', std::size_t(size - p));
        if (!hit)
            break;
        const qsizetype bracket = static_cast<const char *>(hit) - d;
        p = bracket + 1;
        const qsizetype lineStart = headerLineStart(d, bracket);
        if (lineStart < 0)
            continue;
        close(lineStart);
        open = headerName(d, size, bracket);
        openStart = lineStart;
        while (p < size && !isLineEnd(d[p]))
            ++p;
    }
    close(size);
}

IniSnapshot IniSnapshot::load(const QString &path)
{
    QByteArray data;
    if (FileRead::read(path, &data) != 0)
        return IniSnapshot(QByteArray());
    return IniSnapshot(std::move(data));
}

QByteArray IniSnapshot::read(const QByteArray &section, const QByteArray &key,
                             const QByteArray &defaultValue) const
{
    QByteArray value = defaultValue;
    const auto found =
        m_sections.constFind(CodePage::fold(IniDocument::trimmed(section).toByteArray()));
    if (found != m_sections.constEnd()) {
        const QByteArrayView bytes =
            QByteArrayView(m_source).sliced(found->start, found->end - found->start);
        if (!IniDocument::find(bytes, section, key, &value))
            value = defaultValue;
    }
    if (value.size() > IniProfile::MaxValueLength)
        value.truncate(IniProfile::MaxValueLength);
    return value;
}
