// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <deque>
#include <vector>

// One profile file held in memory for a read-modify-write. The bytes are
// split only at section headers; a section is broken into lines the first
// time an edit touches it, so one write to a large file copies the file once
// and parses one section. From its second look-up on, a document finds
// sections through a table keyed by the folded name, which keeps a long batch
// of writes near-linear.
//
// The line rules are those of IniProfile (header, comment, key and blank
// lines; the first of two equal sections or keys counts); the static look-ups
// apply them to the bytes directly, without building a document.
class IniDocument
{
public:
    explicit IniDocument(QByteArray source);

    // The value of key in the first section named section, blanks around it
    // and one pair of enclosing quotes removed, not cut to any length.
    static bool find(QByteArrayView source, QByteArrayView section, QByteArrayView key,
                     QByteArray *value);
    static bool containsSection(QByteArrayView source, QByteArrayView section);

    // Whether the names and value survive the line format: a name or value
    // holding a line end or NUL, a section name holding "]", or a key name
    // holding "=" or beginning with "[" or ";" would be read back as something
    // else.
    static bool canStore(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    // Blanks are spaces and tabs.
    static QByteArrayView trimmed(QByteArrayView text);

    void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Removes the header and the key lines of the first section so named;
    // false when there is none.
    bool removeSection(QByteArrayView section);

    bool isModified() const { return m_modified; }
    QByteArray toByteArray() const;

private:
    enum class Kind : quint8
    {
        Blank,
        Comment,
        Header,
        Key
    };
    enum class Ending : quint8
    {
        None,
        Cr,
        Lf,
        CrLf
    };

    struct Line
    {
        QByteArray text;
        qsizetype nameStart = 0; // trimmed key or section name within text
        qsizetype nameEnd = 0;
        Ending ending = Ending::None;
        Kind kind = Kind::Blank;
    };

    // What a block holds once an edit touched it: its lines.
    struct Lines
    {
        QByteArray ownName; // the name of a section added by an edit
        std::vector<Line> lines;
        int lastKey = 0;             // the last key line, or the header when there is none
        QHash<QByteArray, int> keys; // folded key → first key line, for large sections
    };

    // The preamble before the first header, one section, or what a removed
    // section left behind (its comments and blank lines). Plain offsets, so
    // that splitting a large file costs no allocation per section.
    struct Block
    {
        qsizetype rawStart = 0; // the block's bytes in m_source until it is loaded
        qsizetype rawEnd = 0;
        qsizetype nameStart = -1; // the header's name in m_source, -1 for ownName
        qsizetype nameEnd = -1;
        qsizetype loaded = -1; // its entry of m_loaded
        bool isSection = false;
    };

    QByteArrayView nameOf(const Block &block) const;
    int findSection(const QByteArray &folded);
    void buildIndex();
    void indexSection(int index);
    static quint32 hashName(QByteArrayView name);
    Lines &load(int index);
    int findKey(Lines &block, const QByteArray &folded);
    void endLastLine();
    void appendSection(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    static Line makeLine(QByteArray text, Ending ending);

    const QByteArray m_source;
    std::vector<Block> m_blocks;
    std::deque<Lines> m_loaded; // stays in place as it grows
    // Open-addressing table of the sections by the hash of their folded name,
    // holding the first block of each name; built on the second look-up.
    std::vector<int> m_slots; // block, or -1 for a free slot
    std::vector<quint32> m_slotHashes;
    std::size_t m_indexed = 0; // sections in the table
    bool m_hasIndex = false;
    int m_lookups = 0;
    bool m_modified = false;
};
