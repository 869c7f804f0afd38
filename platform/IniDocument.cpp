// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniDocument.h"

#include "CodePage.h"

#include <algorithm>
#include <cstring>

namespace {

// Sections with more lines than this get a hash of their keys; below it a
// walk over the lines is cheaper than hashing.
constexpr std::size_t KeyIndexThreshold = 32;
// Look-ups a document answers by walking its sections before it indexes them.
constexpr int LinearLookups = 1;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The first c in [from, to), or to.
qsizetype findByte(const char *d, qsizetype from, qsizetype to, char c)
{
    if (from >= to)
        return to;
    const void *hit = std::memchr(d + from, c, std::size_t(to - from));
    return hit ? static_cast<const char *>(hit) - d : to;
}

enum class LineKind : quint8
{
    Blank,
    Comment,
    Header,
    Key
};

// One line of a buffer: its text [start, textEnd), its line end up to end, and
// the trimmed name (of a header or key) and value (of a key) within it.
struct LineInfo
{
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype end = 0;
    LineKind kind = LineKind::Blank;
    qsizetype nameStart = 0;
    qsizetype nameEnd = 0;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

qsizetype trimEnd(const char *d, qsizetype from, qsizetype to)
{
    while (to > from && isBlank(d[to - 1]))
        --to;
    return to;
}

void classify(const char *d, LineInfo &line)
{
    qsizetype p = line.start;
    const qsizetype e = line.textEnd;
    while (p < e && isBlank(d[p]))
        ++p;
    if (p == e) {
        line.kind = LineKind::Blank;
        return;
    }
    if (d[p] == ';') {
        line.kind = LineKind::Comment;
        return;
    }
    if (d[p] == '[') {
        line.kind = LineKind::Header;
        qsizetype n = p + 1;
        while (n < e && isBlank(d[n]))
            ++n;
        line.nameStart = n;
        line.nameEnd = trimEnd(d, n, findByte(d, n, e, ']'));
        return;
    }
    line.kind = LineKind::Key;
    const qsizetype eq = findByte(d, p, e, '=');
    line.nameStart = p;
    line.nameEnd = trimEnd(d, p, eq);
    qsizetype v = eq < e ? eq + 1 : e;
    while (v < e && isBlank(d[v]))
        ++v;
    line.valueStart = v;
    line.valueEnd = trimEnd(d, v, e);
}

// Where the line that begins at start ends: its text [start, textEnd) and
// its line end up to end. The buffer ends at size.
struct LineSpan
{
    qsizetype textEnd = 0;
    qsizetype end = 0;
};

LineSpan spanLine(const char *d, qsizetype size, qsizetype start)
{
    const qsizetype lineEnd = findByte(d, start, size, '\n');
    const qsizetype cr = findByte(d, start, lineEnd, '\r');
    if (cr < lineEnd)
        return {cr, (cr + 1 == lineEnd && lineEnd < size) ? cr + 2 : cr + 1};
    return {lineEnd, lineEnd < size ? lineEnd + 1 : size};
}

// The start of the first header line at or after from, itself the start of a
// line; size when there is none. Jumps from "[" to "[" rather than walking
// every line, since headers are a small share of the lines.
qsizetype nextHeader(const char *d, qsizetype size, qsizetype from)
{
    for (qsizetype p = findByte(d, from, size, '['); p < size; p = findByte(d, p + 1, size, '[')) {
        qsizetype q = p;
        while (q > from && isBlank(d[q - 1]))
            --q;
        if (q == from || d[q - 1] == '\n' || d[q - 1] == '\r')
            return q;
    }
    return size;
}

LineInfo scanLine(const char *d, qsizetype size, qsizetype start)
{
    const LineSpan span = spanLine(d, size, start);
    LineInfo line;
    line.start = start;
    line.textEnd = span.textEnd;
    line.end = span.end;
    classify(d, line);
    return line;
}

bool sameName(const char *d, qsizetype start, qsizetype end, QByteArrayView folded)
{
    if (end - start != folded.size())
        return false;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if (CodePage::foldByte(d[start + i]) != folded[i])
            return false;
    }
    return true;
}

bool sameFoldedName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (CodePage::foldByte(a[i]) != CodePage::foldByte(b[i]))
            return false;
    }
    return true;
}

QByteArray foldedName(QByteArrayView name)
{
    return CodePage::fold(IniDocument::trimmed(name).toByteArray());
}

QByteArray unquoted(const char *d, qsizetype start, qsizetype end)
{
    if (end - start >= 2 && (d[start] == '"' || d[start] == '\'') && d[end - 1] == d[start]) {
        ++start;
        --end;
    }
    return QByteArray(d + start, end - start);
}

// Walks the lines of the first section named folded, calling visit for each
// until it returns true. Returns whether such a section exists.
template <typename Visit>
bool walkSection(QByteArrayView source, const QByteArray &folded, Visit visit)
{
    const char *d = source.data();
    const qsizetype size = source.size();
    bool inside = false;
    for (qsizetype pos = nextHeader(d, size, 0); pos < size;) {
        const LineInfo line = scanLine(d, size, pos);
        pos = line.end;
        if (line.kind == LineKind::Header) {
            if (inside)
                return true;
            inside = sameName(d, line.nameStart, line.nameEnd, folded);
            if (!inside)
                pos = nextHeader(d, size, pos);
        } else if (visit(line)) {
            return true;
        }
    }
    return inside;
}

} // namespace

IniDocument::IniDocument(QByteArray source) : m_source(std::move(source))
{
    const char *d = m_source.constData();
    const qsizetype size = m_source.size();
    m_blocks.emplace_back();
    for (qsizetype pos = nextHeader(d, size, 0); pos < size; pos = nextHeader(d, size, pos)) {
        const LineInfo line = scanLine(d, size, pos);
        m_blocks.back().rawEnd = line.start;
        Block &block = m_blocks.emplace_back();
        block.rawStart = line.start;
        block.nameStart = line.nameStart;
        block.nameEnd = line.nameEnd;
        block.isSection = true;
        pos = line.end;
    }
    m_blocks.back().rawEnd = size;
}

bool IniDocument::find(QByteArrayView source, QByteArrayView section, QByteArrayView key,
                       QByteArray *value)
{
    const QByteArray foldedKey = foldedName(key);
    const char *d = source.data();
    bool found = false;
    walkSection(source, foldedName(section), [&](const LineInfo &line) {
        if (line.kind != LineKind::Key || !sameName(d, line.nameStart, line.nameEnd, foldedKey))
            return false;
        *value = unquoted(d, line.valueStart, line.valueEnd);
        found = true;
        return true;
    });
    return found;
}

bool IniDocument::containsSection(QByteArrayView source, QByteArrayView section)
{
    return walkSection(source, foldedName(section), [](const LineInfo &) { return true; });
}

bool IniDocument::canStore(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const auto breaksLine = [](QByteArrayView text) {
        return std::any_of(text.begin(), text.end(),
                           [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    };
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return false;
    const QByteArrayView name = trimmed(key);
    if (!name.isEmpty() && (name.front() == '[' || name.front() == ';'))
        return false;
    return !name.contains('=') && !trimmed(section).contains(']');
}

QByteArrayView IniDocument::trimmed(QByteArrayView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const int index = findSection(foldedName(section));
    if (index < 0) {
        appendSection(section, key, value);
        return;
    }
    Lines &block = load(index);
    const QByteArrayView name = trimmed(key);
    const int existing = findKey(block, CodePage::fold(name.toByteArray()));
    if (existing >= 0) {
        Line &line = block.lines[existing];
        const QByteArrayView spelling =
            QByteArrayView(line.text).sliced(line.nameStart, line.nameEnd - line.nameStart);
        QByteArray text;
        text.reserve(spelling.size() + 1 + value.size());
        text.append(spelling).append('=').append(value);
        if (text != line.text) {
            line.nameStart = 0;
            line.nameEnd = spelling.size();
            line.text = std::move(text);
            m_modified = true;
        }
        return;
    }

    Line &after = block.lines[block.lastKey];
    if (after.ending == Ending::None)
        after.ending = Ending::CrLf;
    QByteArray text;
    text.reserve(name.size() + 1 + value.size());
    text.append(name).append('=').append(value);
    const int at = block.lastKey + 1;
    block.lines.insert(block.lines.begin() + at, makeLine(std::move(text), Ending::CrLf));
    block.lastKey = at;
    if (!block.keys.isEmpty())
        block.keys.insert(CodePage::fold(name.toByteArray()), at);
    m_modified = true;
}

bool IniDocument::removeSection(QByteArrayView section)
{
    const int index = findSection(foldedName(section));
    if (index < 0)
        return false;
    Lines &block = load(index);
    std::erase_if(block.lines, [](const Line &line) {
        return line.kind == Kind::Header || line.kind == Kind::Key;
    });
    m_blocks[index].isSection = false;
    block.keys.clear();
    block.lastKey = 0;
    // A later section of the same name now counts.
    m_hasIndex = false;
    m_lookups = 0;
    m_modified = true;
    return true;
}

QByteArray IniDocument::toByteArray() const
{
    QByteArray out;
    out.reserve(m_source.size() + 64);
    for (const Block &block : m_blocks) {
        if (block.loaded < 0) {
            out.append(m_source.constData() + block.rawStart, block.rawEnd - block.rawStart);
            continue;
        }
        for (const Line &line : m_loaded[block.loaded].lines) {
            out.append(line.text);
            switch (line.ending) {
            case Ending::None:
                break;
            case Ending::Cr:
                out.append('\r');
                break;
            case Ending::Lf:
                out.append('\n');
                break;
            case Ending::CrLf:
                out.append("\r\n", 2);
                break;
            }
        }
    }
    return out;
}

QByteArrayView IniDocument::nameOf(const Block &block) const
{
    if (block.nameStart < 0)
        return m_loaded[block.loaded].ownName;
    return QByteArrayView(m_source).sliced(block.nameStart, block.nameEnd - block.nameStart);
}

int IniDocument::findSection(const QByteArray &folded)
{
    if (!m_hasIndex && ++m_lookups > LinearLookups)
        buildIndex();
    if (m_hasIndex) {
        const quint32 hash = hashName(folded);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t s = hash & mask; m_slots[s] >= 0; s = (s + 1) & mask) {
            if (m_slotHashes[s] != hash)
                continue;
            const QByteArrayView name = nameOf(m_blocks[m_slots[s]]);
            if (sameName(name.data(), 0, name.size(), folded))
                return m_slots[s];
        }
        return -1;
    }
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const Block &block = m_blocks[i];
        if (!block.isSection)
            continue;
        const QByteArrayView name = nameOf(block);
        if (sameName(name.data(), 0, name.size(), folded))
            return int(i);
    }
    return -1;
}

void IniDocument::buildIndex()
{
    std::size_t size = 16;
    while (size < m_blocks.size() * 2)
        size *= 2;
    m_slots.assign(size, -1);
    m_slotHashes.assign(size, 0);
    m_indexed = 0;
    m_hasIndex = true;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (m_blocks[i].isSection)
            indexSection(int(i));
    }
}

void IniDocument::indexSection(int index)
{
    if ((m_indexed + 1) * 2 > m_slots.size()) {
        std::vector<int> grown(m_slots.size() * 2, -1);
        std::vector<quint32> hashes(grown.size(), 0);
        const std::size_t mask = grown.size() - 1;
        for (std::size_t s = 0; s < m_slots.size(); ++s) {
            if (m_slots[s] < 0)
                continue;
            std::size_t t = m_slotHashes[s] & mask;
            while (grown[t] >= 0)
                t = (t + 1) & mask;
            grown[t] = m_slots[s];
            hashes[t] = m_slotHashes[s];
        }
        m_slots.swap(grown);
        m_slotHashes.swap(hashes);
    }
    const QByteArrayView name = nameOf(m_blocks[index]);
    const quint32 hash = hashName(name);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t s = hash & mask;
    for (; m_slots[s] >= 0; s = (s + 1) & mask) {
        if (m_slotHashes[s] != hash)
            continue;
        const QByteArrayView other = nameOf(m_blocks[m_slots[s]]);
        // The first section of a name counts; later ones are never found.
        if (sameFoldedName(other, name))
            return;
    }
    m_slots[s] = index;
    m_slotHashes[s] = hash;
    ++m_indexed;
}

quint32 IniDocument::hashName(QByteArrayView name)
{
    // FNV-1a over the folded bytes, so that a name hashes alike in any case.
    quint32 hash = 2166136261u;
    for (const char c : name) {
        hash ^= quint8(CodePage::foldByte(c));
        hash *= 16777619u;
    }
    return hash;
}

IniDocument::Lines &IniDocument::load(int index)
{
    Block &raw = m_blocks[index];
    if (raw.loaded >= 0)
        return m_loaded[raw.loaded];
    raw.loaded = qsizetype(m_loaded.size());
    Lines &block = m_loaded.emplace_back();
    const char *d = m_source.constData();
    for (qsizetype pos = raw.rawStart; pos < raw.rawEnd;) {
        const LineInfo info = scanLine(d, raw.rawEnd, pos);
        Line line;
        line.text = QByteArray(d + info.start, info.textEnd - info.start);
        line.nameStart = info.nameStart - info.start;
        line.nameEnd = info.nameEnd - info.start;
        switch (info.end - info.textEnd) {
        case 0:
            line.ending = Ending::None;
            break;
        case 2:
            line.ending = Ending::CrLf;
            break;
        default:
            line.ending = d[info.textEnd] == '\r' ? Ending::Cr : Ending::Lf;
            break;
        }
        switch (info.kind) {
        case LineKind::Blank:
            line.kind = Kind::Blank;
            break;
        case LineKind::Comment:
            line.kind = Kind::Comment;
            break;
        case LineKind::Header:
            line.kind = Kind::Header;
            break;
        case LineKind::Key:
            // Lines before the first section belong to no section.
            line.kind = raw.isSection ? Kind::Key : Kind::Blank;
            break;
        }
        if (line.kind == Kind::Key)
            block.lastKey = int(block.lines.size());
        block.lines.push_back(std::move(line));
        pos = info.end;
    }
    return block;
}

int IniDocument::findKey(Lines &block, const QByteArray &folded)
{
    if (block.keys.isEmpty() && block.lines.size() > KeyIndexThreshold) {
        for (std::size_t i = 0; i < block.lines.size(); ++i) {
            const Line &line = block.lines[i];
            if (line.kind != Kind::Key)
                continue;
            const QByteArray name =
                CodePage::fold(line.text.sliced(line.nameStart, line.nameEnd - line.nameStart));
            if (!block.keys.contains(name))
                block.keys.insert(name, int(i));
        }
    }
    if (!block.keys.isEmpty())
        return block.keys.value(folded, -1);
    for (std::size_t i = 0; i < block.lines.size(); ++i) {
        const Line &line = block.lines[i];
        if (line.kind == Kind::Key &&
            sameName(line.text.constData(), line.nameStart, line.nameEnd, folded))
            return int(i);
    }
    return -1;
}

void IniDocument::endLastLine()
{
    for (int i = int(m_blocks.size()) - 1; i >= 0; --i) {
        const Block &raw = m_blocks[i];
        if (raw.loaded < 0) {
            if (raw.rawEnd == raw.rawStart)
                continue;
            const char last = m_source.at(raw.rawEnd - 1);
            if (last == '\r' || last == '\n')
                return;
        }
        Lines &block = load(i);
        if (block.lines.empty())
            continue;
        Line &line = block.lines.back();
        if (line.ending == Ending::None) {
            line.ending = Ending::CrLf;
            m_modified = true;
        }
        return;
    }
}

void IniDocument::appendSection(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    endLastLine();
    const QByteArrayView sectionName = trimmed(section);
    const QByteArrayView keyName = trimmed(key);
    Block &raw = m_blocks.emplace_back();
    raw.isSection = true;
    raw.loaded = qsizetype(m_loaded.size());
    Lines &block = m_loaded.emplace_back();
    block.ownName = sectionName.toByteArray();
    QByteArray header;
    header.reserve(sectionName.size() + 2);
    header.append('[').append(sectionName).append(']');
    Line headerLine = makeLine(std::move(header), Ending::CrLf);
    headerLine.kind = Kind::Header;
    headerLine.nameStart = 1;
    headerLine.nameEnd = 1 + sectionName.size();
    block.lines.push_back(std::move(headerLine));
    QByteArray text;
    text.reserve(keyName.size() + 1 + value.size());
    text.append(keyName).append('=').append(value);
    block.lines.push_back(makeLine(std::move(text), Ending::CrLf));
    block.lastKey = 1;
    if (m_hasIndex)
        indexSection(int(m_blocks.size()) - 1);
    m_modified = true;
}

IniDocument::Line IniDocument::makeLine(QByteArray text, Ending ending)
{
    Line line;
    line.nameEnd = text.indexOf('=');
    if (line.nameEnd < 0)
        line.nameEnd = text.size();
    line.text = std::move(text);
    line.ending = ending;
    line.kind = Kind::Key;
    return line;
}
