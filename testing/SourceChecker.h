#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the conversion of a question source would silently carry over, lose or
// misread, with the line numbers of the source (counted from 1). The
// conversion itself takes every text as it is; this is the administrator's
// look at a source before converting it.
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
        Utf8Text,            // the text is UTF-8, not Windows-1251
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
    };

    struct Finding
    {
        Kind kind;
        int line = 0;          // 0 for the text as a whole
        QByteArray text;       // the line as read
        QByteArray letters;    // answer letters concerned, e.g. "DE"
        QList<int> otherLines; // marks, the line a repeat replaces
    };

    struct Report
    {
        QList<Finding> findings;
        int questionLines = 0;
        int closingLine = 0; // the well-formed closing line, 0 when there is none
        bool utf8 = false;

        bool clean() const { return findings.isEmpty(); }
    };

    static Report check(const QByteArray &text);
    // Throws the runtime's input/output error when the file cannot be opened.
    static Report checkFile(const QString &path);

    // The finding in Russian; the line's text is decoded as the source is
    // encoded.
    static QString describe(const Finding &finding, bool utf8);
    static QString decode(const QByteArray &text, bool utf8);

    // Valid UTF-8 that holds at least one multi-byte sequence.
    static bool isUtf8(const QByteArray &text);
};
