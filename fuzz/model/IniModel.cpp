// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniModel.h"

#include <array>

namespace {

// Capital → small letter in Windows-1251, written out letter by letter.
struct Pair
{
    unsigned char capital;
    unsigned char small;
};
constexpr Pair Letters[] = {
    // The Latin letters.
    {'A', 'a'},
    {'B', 'b'},
    {'C', 'c'},
    {'D', 'd'},
    {'E', 'e'},
    {'F', 'f'},
    {'G', 'g'},
    {'H', 'h'},
    {'I', 'i'},
    {'J', 'j'},
    {'K', 'k'},
    {'L', 'l'},
    {'M', 'm'},
    {'N', 'n'},
    {'O', 'o'},
    {'P', 'p'},
    {'Q', 'q'},
    {'R', 'r'},
    {'S', 's'},
    {'T', 't'},
    {'U', 'u'},
    {'V', 'v'},
    {'W', 'w'},
    {'X', 'x'},
    {'Y', 'y'},
    {'Z', 'z'},
    // The Russian alphabet, А … Я, and Ё.
    {0xC0, 0xE0},
    {0xC1, 0xE1},
    {0xC2, 0xE2},
    {0xC3, 0xE3},
    {0xC4, 0xE4},
    {0xC5, 0xE5},
    {0xC6, 0xE6},
    {0xC7, 0xE7},
    {0xC8, 0xE8},
    {0xC9, 0xE9},
    {0xCA, 0xEA},
    {0xCB, 0xEB},
    {0xCC, 0xEC},
    {0xCD, 0xED},
    {0xCE, 0xEE},
    {0xCF, 0xEF},
    {0xD0, 0xF0},
    {0xD1, 0xF1},
    {0xD2, 0xF2},
    {0xD3, 0xF3},
    {0xD4, 0xF4},
    {0xD5, 0xF5},
    {0xD6, 0xF6},
    {0xD7, 0xF7},
    {0xD8, 0xF8},
    {0xD9, 0xF9},
    {0xDA, 0xFA},
    {0xDB, 0xFB},
    {0xDC, 0xFC},
    {0xDD, 0xFD},
    {0xDE, 0xFE},
    {0xDF, 0xFF},
    {0xA8, 0xB8},
    // The other Cyrillic letters of the code page: Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Є Ї І Ѕ.
    {0x80, 0x90},
    {0x81, 0x83},
    {0x8A, 0x9A},
    {0x8C, 0x9C},
    {0x8D, 0x9D},
    {0x8E, 0x9E},
    {0x8F, 0x9F},
    {0xA1, 0xA2},
    {0xA3, 0xBC},
    {0xA5, 0xB4},
    {0xAA, 0xBA},
    {0xAF, 0xBF},
    {0xB2, 0xB3},
    {0xBD, 0xBE},
};

struct Tables
{
    std::array<char, 256> toSmall;
    std::array<char, 256> toCapital;
};

Tables makeTables()
{
    Tables t;
    for (int b = 0; b < 256; ++b) {
        t.toSmall[b] = char(b);
        t.toCapital[b] = char(b);
    }
    for (const Pair &p : Letters) {
        t.toSmall[p.capital] = char(p.small);
        t.toCapital[p.small] = char(p.capital);
    }
    return t;
}

const Tables &tables()
{
    static const Tables t = makeTables();
    return t;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray unquote(const QByteArray &v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

} // namespace

QByteArray IniModel::fold(const QByteArray &name)
{
    QByteArray out = name;
    for (char &c : out)
        c = tables().toSmall[quint8(c)];
    return out;
}

QByteArray IniModel::toCapitals(const QByteArray &name)
{
    QByteArray out = name;
    for (char &c : out)
        c = tables().toCapital[quint8(c)];
    return out;
}

QByteArray IniModel::trim(const QByteArray &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

QList<IniModel::Line> IniModel::split(const QByteArray &bytes)
{
    QList<Line> lines;
    Line line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            line.end = "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            line.end = QByteArray(1, c);
        } else {
            line.text.append(c);
            continue;
        }
        line.meaning = meaning(line.text);
        lines.append(line);
        line = Line();
    }
    if (!line.text.isEmpty()) {
        line.meaning = meaning(line.text);
        lines.append(line);
    }
    return lines;
}

QByteArray IniModel::join(const QList<Line> &lines)
{
    QByteArray out;
    for (const Line &line : lines)
        out += line.text + line.end;
    return out;
}

void IniModel::setBytes(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    m_lines = split(m_bytes);
}

IniModel::Meaning IniModel::meaning(const QByteArray &text)
{
    const QByteArray t = trim(text);
    Meaning m;
    if (t.isEmpty()) {
        m.kind = Kind::Blank;
    } else if (t.front() == ';') {
        m.kind = Kind::Comment;
    } else if (t.front() == '[') {
        m.kind = Kind::Header;
        const qsizetype close = t.indexOf(']');
        m.name = trim(close < 0 ? t.mid(1) : t.mid(1, close - 1));
    } else {
        m.kind = Kind::Key;
        const qsizetype eq = t.indexOf('=');
        m.name = trim(eq < 0 ? t : t.left(eq));
        m.value = eq < 0 ? QByteArray() : trim(t.mid(eq + 1));
    }
    m.folded = fold(m.name);
    return m;
}

int IniModel::findSection(const QList<Line> &lines, const QByteArray &section, int *end)
{
    const QByteArray wanted = fold(trim(section));
    for (int i = 0; i < lines.size(); ++i) {
        const Meaning &m = lines[i].meaning;
        if (m.kind != Kind::Header || m.folded != wanted)
            continue;
        int j = i + 1;
        while (j < lines.size() && lines[j].meaning.kind != Kind::Header)
            ++j;
        *end = j;
        return i;
    }
    return -1;
}

std::optional<QByteArray> IniModel::value(const QByteArray &section, const QByteArray &key) const
{
    const QList<Line> &lines = m_lines;
    int end = 0;
    const int header = findSection(lines, section, &end);
    if (header < 0)
        return std::nullopt;
    const QByteArray wanted = fold(trim(key));
    for (int i = header + 1; i < end; ++i) {
        const Meaning &m = lines[i].meaning;
        if (m.kind == Kind::Key && m.folded == wanted)
            return unquote(m.value);
    }
    return std::nullopt;
}

QByteArray IniModel::read(const QByteArray &section, const QByteArray &key,
                          const QByteArray &defaultValue) const
{
    return value(section, key).value_or(defaultValue).left(ReadLimit);
}

bool IniModel::hasSection(const QByteArray &section) const
{
    int end = 0;
    return findSection(m_lines, section, &end) >= 0;
}

bool IniModel::canStore(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    for (const QByteArray *text : {&section, &key, &value}) {
        if (text->contains('\r') || text->contains('\n') || text->contains('\0'))
            return false;
    }
    // A section name with "]" would end its header early; a key name with
    // "=" would split elsewhere, and one beginning like a header or a comment
    // would be one.
    const QByteArray name = trim(key);
    if (name.contains('=') || name.startsWith('[') || name.startsWith(';'))
        return false;
    return !trim(section).contains(']');
}

QByteArray IniModel::readForm(const QByteArray &written)
{
    return unquote(trim(written));
}

void IniModel::write(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    QList<Line> lines = m_lines;
    int end = 0;
    const int header = findSection(lines, section, &end);
    if (header < 0) {
        QByteArray bytes = m_bytes;
        if (!bytes.isEmpty() && !bytes.endsWith('\r') && !bytes.endsWith('\n'))
            bytes += "\r\n";
        setBytes(bytes + '[' + trim(section) + "]\r\n" + trim(key) + '=' + value + "\r\n");
        return;
    }
    int lastKey = header;
    for (int i = header + 1; i < end; ++i) {
        const Meaning &m = lines[i].meaning;
        if (m.kind != Kind::Key)
            continue;
        if (m.folded == fold(trim(key))) {
            // The line keeps its name as spelt and its line end.
            lines[i].text = m.name + '=' + value;
            setBytes(join(lines));
            return;
        }
        lastKey = i;
    }
    if (lines[lastKey].end.isEmpty())
        lines[lastKey].end = "\r\n";
    lines.insert(lastKey + 1, Line{trim(key) + '=' + value, "\r\n", {}});
    setBytes(join(lines));
}

bool IniModel::removeSection(const QByteArray &section)
{
    const QList<Line> &lines = m_lines;
    int end = 0;
    const int header = findSection(lines, section, &end);
    if (header < 0)
        return false;
    QList<Line> kept = lines.mid(0, header);
    for (int i = header + 1; i < end; ++i) {
        if (lines[i].meaning.kind != Kind::Key)
            kept.append(lines[i]);
    }
    kept += lines.mid(end);
    setBytes(join(kept));
    return true;
}

QList<QByteArray> IniModel::sectionNames() const
{
    QList<QByteArray> names;
    for (const Line &line : m_lines) {
        const Meaning m = line.meaning;
        if (m.kind == Kind::Header)
            names.append(m.name);
    }
    return names;
}

QList<QByteArray> IniModel::keyNames() const
{
    QList<QByteArray> names;
    for (const Line &line : m_lines) {
        const Meaning m = line.meaning;
        if (m.kind == Kind::Key)
            names.append(m.name);
    }
    return names;
}
