// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The profile file rules of the original platform once more, written from
// the rules alone and as plainly as they can be put, so that the fuzzer can
// hold the store's byte-level code against them. Nothing here is fast: every
// change splits the whole file into lines again.
//
// A file is a list of lines, each ended by CR LF, CR alone, LF alone or the
// end of the bytes. Trimmed of spaces and tabs, a line is blank, a comment
// (";"), a header ("[", its name up to the first "]" or the line's end) or a
// key line (its name before the first "=", its value after it; no "=" means an
// empty value). Key lines before the first header belong to no section. Names
// match folded (Latin and Windows-1251 Cyrillic capitals to small letters);
// the first of two equal sections or keys counts.
class IniModel
{
public:
    static constexpr int ReadLimit = 2047;

    explicit IniModel(QByteArray bytes) { setBytes(std::move(bytes)); }

    const QByteArray &bytes() const { return m_bytes; }

    // The value as found: trimmed, one pair of enclosing quotes removed, uncut.
    std::optional<QByteArray> value(const QByteArray &section, const QByteArray &key) const;
    // What a read of the platform gives: the value or the default, cut to the
    // read limit.
    QByteArray read(const QByteArray &section, const QByteArray &key,
                    const QByteArray &defaultValue) const;
    bool hasSection(const QByteArray &section) const;

    // Whether the line format can carry these names and value so that a read
    // finds them again.
    static bool canStore(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    // What reading gives for a value written as it is.
    static QByteArray readForm(const QByteArray &written);

    // Only for what canStore accepts.
    void write(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    bool removeSection(const QByteArray &section);

    static QByteArray fold(const QByteArray &name);
    // The capital of a small letter, for making names in another case.
    static QByteArray toCapitals(const QByteArray &name);
    static QByteArray trim(const QByteArray &text);

    // The names the file's headers and key lines give, trimmed, for a fuzzer
    // that wants to ask about names that exist.
    QList<QByteArray> sectionNames() const;
    QList<QByteArray> keyNames() const;

private:
    enum class Kind
    {
        Blank,
        Comment,
        Header,
        Key
    };
    struct Meaning
    {
        Kind kind = Kind::Blank;
        QByteArray name;
        QByteArray folded; // the name folded
        QByteArray value;
    };
    struct Line
    {
        QByteArray text;
        QByteArray end; // "\r\n", "\r", "\n" or empty
        Meaning meaning;
    };

    static QList<Line> split(const QByteArray &bytes);
    static QByteArray join(const QList<Line> &lines);
    static Meaning meaning(const QByteArray &text);
    // The header line of the first section so named, or -1; *end gets the
    // line after its last line.
    static int findSection(const QList<Line> &lines, const QByteArray &section, int *end);
    void setBytes(QByteArray bytes);

    QByteArray m_bytes;
    QList<Line> m_lines; // m_bytes split
};
