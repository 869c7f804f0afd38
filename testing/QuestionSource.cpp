// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuestionSource.h"

#include "CodePage.h"
#include "SourceLine.h"
#include "TextFile.h"

#include <array>

const QByteArray QuestionSource::ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

namespace {

// Windows-1251 capitals that a Russian keyboard layout gives where A … E are
// meant.
constexpr char CyrA = char(0xC0);
constexpr char CyrBe = char(0xC1);
constexpr char CyrVe = char(0xC2);
constexpr char CyrGe = char(0xC3);
constexpr char CyrDe = char(0xC4);
constexpr char CyrE = char(0xC5);
constexpr char CyrEs = char(0xD1);

// The Latin letter a Cyrillic capital stands for in each reading, 0 for none.
char lookAlike(char c)
{
    switch (c) {
    case CyrA:
        return 'A';
    case CyrVe:
        return 'B';
    case CyrEs:
        return 'C';
    case CyrE:
        return 'E';
    default:
        return 0;
    }
}

char alphabet(char c)
{
    switch (c) {
    case CyrA:
        return 'A';
    case CyrBe:
        return 'B';
    case CyrVe:
        return 'C';
    case CyrGe:
        return 'D';
    case CyrDe:
        return 'E';
    default:
        return 0;
    }
}

bool isCyrillicMarker(const QByteArray &line)
{
    return line.size() >= 2 && line[1] == ')' && (lookAlike(line[0]) || alphabet(line[0]));
}

struct Question
{
    int line = 0; // index of the question line
    QList<int> latin;
    QList<int> cyrillic;
};

// Whether the reading gives every marker of the question, Latin ones
// included, a letter of its own.
bool distinct(const QList<QByteArray> &lines, const Question &q, char (*reading)(char))
{
    std::array<int, SourceLine::AnswerCount> uses{};
    for (const int i : q.latin)
        ++uses[SourceLine::answerIndex(lines[i])];
    for (const int i : q.cyrillic) {
        const char letter = reading(lines[i][0]);
        if (++uses[letter - 'A'] > 1)
            return false;
    }
    for (const int u : uses) {
        if (u > 1)
            return false;
    }
    return true;
}

bool fits(const QList<QByteArray> &lines, const Question &q, char (*reading)(char))
{
    for (const int i : q.cyrillic) {
        if (!reading(lines[i][0]))
            return false;
    }
    return true;
}

} // namespace

QByteArray QuestionSource::usedPart(const QByteArray &text)
{
    const qsizetype end = text.indexOf(EndOfText);
    return end < 0 ? text : text.left(end);
}

QList<QByteArray> QuestionSource::split(const QByteArray &text)
{
    const QByteArray used = usedPart(text);
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < used.size()) {
        qsizetype end = used.indexOf('\n', start);
        if (end < 0)
            end = used.size();
        QByteArray line = used.mid(start, end - start);
        if (line.contains('\r'))
            line.removeIf([](char c) { return c == '\r'; });
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

QList<QByteArray> QuestionSource::read(const QString &path)
{
    return split(TextFile::read(path));
}

bool QuestionSource::isUtf8(const QByteArray &text)
{
    bool multiByte = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int follow = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + follow >= text.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi)
                return false;
        }
        multiByte = true;
        i += follow + 1;
    }
    return multiByte;
}

QuestionSource::Text QuestionSource::decode(const QByteArray &raw)
{
    Text text;
    const bool marked = raw.startsWith(ByteOrderMark);
    const QByteArray body = marked ? raw.mid(ByteOrderMark.size()) : raw;
    text.utf8 = marked || isUtf8(body);
    if (!text.utf8) {
        text.bytes = body;
    } else {
        // Line ends and Ctrl-Z are single bytes in both encodings, so the
        // lines and their numbers stay where they were.
        const QList<QByteArray> utf8Lines = split(body);
        for (qsizetype n = 0; n < utf8Lines.size(); ++n) {
            const QString line = QString::fromUtf8(utf8Lines[n]);
            for (qsizetype i = 0; i < line.size(); ++i) {
                const qsizetype length = line[i].isHighSurrogate() ? 2 : 1;
                const QString character = line.mid(i, length);
                if (!CodePage::canSpell(character)) {
                    text.foreign.append({int(n + 1), int(i + 1), character});
                    break;
                }
                i += length - 1;
            }
        }
        text.bytes = CodePage::fromUnicode(QString::fromUtf8(body));
    }
    text.lines = readMarkers(split(text.bytes), &text.markerReadings);
    return text;
}

QuestionSource::Text QuestionSource::readText(const QString &path)
{
    return decode(TextFile::read(path));
}

QList<QByteArray> QuestionSource::readMarkers(const QList<QByteArray> &lines,
                                              QList<MarkerReading> *readings)
{
    QList<Question> questions;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray &line = lines[n];
        const SourceLine::Kind kind = SourceLine::kind(line);
        if (kind == SourceLine::Kind::Empty || kind == SourceLine::Kind::Separator)
            continue;
        if (kind == SourceLine::Kind::Answer) {
            if (!questions.isEmpty())
                questions.last().latin.append(int(n));
        } else if (isCyrillicMarker(line) && !questions.isEmpty()) {
            questions.last().cyrillic.append(int(n));
        } else {
            questions.append({int(n), {}, {}});
        }
    }

    QList<QByteArray> out = lines;
    for (const Question &q : questions) {
        if (q.cyrillic.isEmpty())
            continue;
        const bool byLook = fits(lines, q, lookAlike);
        const bool byAlphabet = fits(lines, q, alphabet);
        if (!byLook && !byAlphabet)
            continue;
        char (*reading)(char) = byLook ? lookAlike : alphabet;
        Markers markers = byLook ? Markers::LookAlike : Markers::Alphabet;
        if (byLook && byAlphabet) {
            const bool lookDistinct = distinct(lines, q, lookAlike);
            if (lookDistinct == distinct(lines, q, alphabet)) {
                markers = Markers::Ambiguous;
                reading = nullptr;
            } else if (!lookDistinct) {
                reading = alphabet;
                markers = Markers::Alphabet;
            }
        }
        MarkerReading r{markers, q.line + 1, {}, {}};
        for (const int i : q.cyrillic) {
            if (!r.typed.contains(lines[i][0]))
                r.typed += lines[i][0];
            if (reading) {
                const char latin = reading(lines[i][0]);
                out[i][0] = latin;
                if (!r.read.contains(latin))
                    r.read += latin;
            }
        }
        if (readings)
            readings->append(r);
    }
    return out;
}
