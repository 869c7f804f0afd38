// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the conversion of a question source would silently carry over, lose or
// misread, and the bytes for which it would refuse the whole source, with the
// line numbers of the source (counted from 1). An error is a finding that
// leaves the test other than the teacher meant it (a question that keeps the
// previous one's answers, a line read as something else, a question never
// asked): the tool and the authoring window write no test with one unless
// told to. A remark only says how the text was read (UTF-8, Russian answer
// letters read as Latin ones) or points at something unusual that does no
// harm.
//
// The last question line of a source only closes the test (the count rule):
// when nothing but blanks and separators follow it, it is the expected closing
// line and comes back as a note, not a finding; when answer lines follow it,
// they belong to a question that no test run asks, and that is a finding.
// Empty lines and separators ahead of the first question are harmless and not
// reported; other lines there are.
class SourceChecker
{
public:
    enum class Kind
    {
        Utf8Text,            // the text is UTF-8: recoded to Windows-1251
        ForeignCharacter,    // a UTF-8 character Windows-1251 has no byte for
        CyrillicLookAlikes,  // "А)" "В)" "С)" "Е)" read as the Latin letters
        CyrillicAlphabet,    // "А)" … "Д)" read as A) … E)
        AmbiguousMarkers,    // Cyrillic markers that could be read either way
        TextAfterEnd,        // text after a Ctrl-Z, which ends the source
        BeforeFirstQuestion, // an answer line ahead of every question
        LooksLikeAnswer,     // meant as an answer, read as a new question
        MissingAnswers,      // letters that keep the previous question's answer
        RepeatedAnswer,      // a letter given twice: the earlier line is lost
        NoMark,              // no marked answer: the previous right answer stays
        SeveralMarks,        // more than one mark: the last counts
        MarkedQuestion,      // a question line ending with "*"
        UnaskedLastQuestion, // answers under the last question line
        NoQuestions,         // fewer than two question lines: nothing is asked
        UnstorableByte,      // a byte the test file cannot hold: nothing is written
        CrLineEnds,          // lines ended by CR alone: they are read as one
    };

    struct Finding
    {
        Kind kind;
        int line = 0;                  // 0 for the text as a whole
        QByteArray text;               // the line as read
        QByteArray letters;            // answer letters concerned, e.g. "DE"
        QList<int> otherLines;         // marks, the line a repeat replaces
        int column = 0;                // the byte the store cannot hold, from 1
        int joinedLines = 0;           // how many lines CR alone joins into this one
        QString character = QString(); // a character Windows-1251 lacks
    };

    struct Report
    {
        QList<Finding> findings;
        int questionLines = 0;
        int closingLine = 0; // the well-formed closing line, 0 when there is none
        bool utf8 = false;

        bool clean() const { return findings.isEmpty(); }
        int errorCount() const;
        bool hasErrors() const { return errorCount() > 0; }
    };

    static bool isError(Kind kind);

    static Report check(const QByteArray &text);
    // Throws the runtime's input/output error when the file cannot be opened.
    static Report checkFile(const QString &path);

    // The finding in Russian; the line's text (Windows-1251, whatever the
    // source's encoding) is cut to quoteLimit characters when that is not
    // negative.
    static QString describe(const Finding &finding, int quoteLimit = -1);

    // The finding as `check` lists it: after "строка N: " unless it concerns
    // the text as a whole, a remark after "замечание: ".
    static QString entry(const Finding &finding, int quoteLimit = -1);

    // The first `shown` findings under a heading, one a line, and how many
    // more there are, for a message box; empty for a clean report.
    static QString digest(const Report &report, int shown);
};
