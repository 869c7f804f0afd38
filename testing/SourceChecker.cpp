// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceChecker.h"

#include "CodePage.h"
#include "QuestionSource.h"
#include "SourceLine.h"
#include "TestConverter.h"
#include "TextFile.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLatinLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The letters of Windows-1251: А … я and Ё, ё.
bool isCyrillicLetter(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

bool isAnswerLetter(char c)
{
    return c >= 'A' && c < 'A' + SourceLine::AnswerCount;
}

// A question line written the way answers are written, but not in the one
// form the conversion takes as an answer: a letter other than the Latin
// capitals A … E (a Cyrillic look-alike, a small letter, F …) before ")",
// blanks before the letter, or "A." for "A)".
bool looksLikeAnswer(const QByteArray &line)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (line.size() - i < 2)
        return false;
    const char letter = line[i];
    const char after = line[i + 1];
    if (after == ')') {
        if (i == 0 && isAnswerLetter(letter))
            return false;
        return isLatinLetter(letter) || isCyrillicLetter(letter);
    }
    return after == '.' && isAnswerLetter(letter);
}

// What follows the Ctrl-Z that ends the text, when it is more than line ends,
// blanks and further Ctrl-Z characters.
bool hasTextAfterEnd(const QByteArray &text, qsizetype end)
{
    for (qsizetype i = end + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c != QuestionSource::EndOfText && c != '\r' && c != '\n' && !isBlank(c))
            return true;
    }
    return false;
}

QString lettersText(const QByteArray &letters)
{
    QStringList out;
    for (const char c : letters)
        out.append(QString(QLatin1Char(c)));
    return out.join(QStringLiteral(", "));
}

QString linesText(const QList<int> &lines)
{
    QStringList out;
    for (const int l : lines)
        out.append(QString::number(l));
    return out.join(QStringLiteral(", "));
}

// Every line of the used text that holds a CR with more than CR after it
// before its LF: the conversion drops that CR, so the lines it ends become
// part of this one.
void findCrLineEnds(const QByteArray &used, QList<SourceChecker::Finding> *findings)
{
    qsizetype start = 0;
    int number = 0;
    while (start < used.size()) {
        qsizetype end = used.indexOf('\n', start);
        if (end < 0)
            end = used.size();
        ++number;
        qsizetype last = end;
        while (last > start && used[last - 1] == '\r')
            --last;
        const QByteArray body = used.mid(start, last - start);
        if (body.contains('\r')) {
            SourceChecker::Finding f{
                SourceChecker::Kind::CrLineEnds, number, body.left(body.indexOf('\r')), {}, {}};
            f.joinedLines = int(body.count('\r') + 1);
            findings->append(f);
        }
        start = end + 1;
    }
}

struct Block
{
    int line = 0;
    QByteArray text;
    bool misread = false;
    std::array<int, SourceLine::AnswerCount> answerLine{};
    QList<int> marks;
    bool hasAnswers = false;
};

} // namespace

SourceChecker::Report SourceChecker::checkFile(const QString &path)
{
    return check(TextFile::read(path));
}

SourceChecker::Report SourceChecker::check(const QByteArray &raw)
{
    Report report;
    const QuestionSource::Text decoded = QuestionSource::decode(raw);
    const QByteArray &text = decoded.bytes;
    const QByteArray used = QuestionSource::usedPart(text);
    const QList<QByteArray> &lines = decoded.lines;

    if (decoded.utf8) {
        report.utf8 = true;
        int first = 1;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            if (std::any_of(lines[n].begin(), lines[n].end(), [](char c) { return c < 0; })) {
                first = int(n + 1);
                break;
            }
        }
        report.findings.append({Kind::Utf8Text, first, lines.value(first - 1), {}, {}});
        for (const QuestionSource::Foreign &f : decoded.foreign) {
            Finding finding{Kind::ForeignCharacter, f.line, lines.value(f.line - 1), {}, {}};
            finding.column = f.column;
            finding.character = f.character;
            report.findings.append(finding);
        }
    }
    for (const QuestionSource::MarkerReading &r : decoded.markerReadings) {
        const Kind kind = r.markers == QuestionSource::Markers::LookAlike ? Kind::CyrillicLookAlikes
                          : r.markers == QuestionSource::Markers::Alphabet ? Kind::CyrillicAlphabet
                                                                           : Kind::AmbiguousMarkers;
        report.findings.append({kind, r.line, lines.value(r.line - 1), r.typed + r.read, {}});
    }

    QList<Block> blocks;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray &line = lines[n];
        const int number = int(n + 1);
        switch (SourceLine::kind(line)) {
        case SourceLine::Kind::Empty:
        case SourceLine::Kind::Separator:
            continue;
        case SourceLine::Kind::Question: {
            Block block;
            block.line = number;
            block.text = line;
            block.misread = looksLikeAnswer(line);
            if (block.misread)
                report.findings.append({Kind::LooksLikeAnswer, number, line, {}, {}});
            else if (SourceLine::isMarked(line))
                report.findings.append({Kind::MarkedQuestion, number, line, {}, {}});
            if (SourceLine::markedDigit(line))
                block.marks.append(number);
            blocks.append(block);
            break;
        }
        case SourceLine::Kind::Answer: {
            if (blocks.isEmpty()) {
                report.findings.append({Kind::BeforeFirstQuestion, number, line, {}, {}});
                break;
            }
            Block &block = blocks.last();
            const int index = SourceLine::answerIndex(line);
            block.hasAnswers = true;
            // A bare marked prefix ("B)*") ahead of its answer is how a test
            // written back as a source marks an answer that ends otherwise
            // than in a blank.
            const int earlier = block.answerLine[index];
            const bool markOnly =
                earlier > 0 && lines[earlier - 1] == SourceLine::answerPrefix(index) + '*';
            if (!block.misread && earlier != 0 && !markOnly)
                report.findings.append({Kind::RepeatedAnswer,
                                        number,
                                        line,
                                        SourceLine::answerPrefix(index).left(1),
                                        {block.answerLine[index]}});
            block.answerLine[index] = number;
            if (SourceLine::isMarked(line))
                block.marks.append(number);
            break;
        }
        }
    }
    report.questionLines = int(blocks.size());

    for (qsizetype b = 0; b < blocks.size(); ++b) {
        const Block &block = blocks[b];
        if (b == blocks.size() - 1) {
            if (block.hasAnswers)
                report.findings.append({Kind::UnaskedLastQuestion, block.line, block.text, {}, {}});
            else if (!block.misread)
                report.closingLine = block.line;
            break;
        }
        if (block.misread)
            continue;
        QByteArray missing;
        for (int i = 0; i < SourceLine::AnswerCount; ++i) {
            if (block.answerLine[i] == 0)
                missing += char('A' + i);
        }
        if (!missing.isEmpty())
            report.findings.append({Kind::MissingAnswers, block.line, block.text, missing, {}});
        if (block.marks.isEmpty())
            report.findings.append({Kind::NoMark, block.line, block.text, {}, {}});
        else if (block.marks.size() > 1)
            report.findings.append({Kind::SeveralMarks, block.line, block.text, {}, block.marks});
    }

    if (blocks.size() < 2)
        report.findings.append({Kind::NoQuestions, 0, {}, {}, {}});

    for (const int number : TestConverter().unstorableLines(lines)) {
        const QByteArray &line = lines[number - 1];
        Finding f{Kind::UnstorableByte, number, line, {}, {}};
        f.column = int(TestConverter::unstorableByte(line) + 1);
        report.findings.append(f);
    }
    findCrLineEnds(used, &report.findings);

    const qsizetype end = text.indexOf(QuestionSource::EndOfText);
    if (end >= 0 && hasTextAfterEnd(text, end))
        report.findings.append({Kind::TextAfterEnd, int(used.count('\n') + 1), {}, {}, {}});

    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
    return report;
}

bool SourceChecker::isError(Kind kind)
{
    switch (kind) {
    case Kind::Utf8Text:
    case Kind::CyrillicLookAlikes:
    case Kind::CyrillicAlphabet:
    case Kind::TextAfterEnd:
    case Kind::MarkedQuestion:
        return false;
    default:
        return true;
    }
}

int SourceChecker::Report::errorCount() const
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [](const Finding &f) { return isError(f.kind); }));
}

QString SourceChecker::entry(const Finding &f, int quoteLimit)
{
    QString text = describe(f, quoteLimit);
    if (!isError(f.kind))
        text = QStringLiteral("замечание: ") + text;
    return f.line > 0 ? QStringLiteral("строка %1: %2").arg(f.line).arg(text) : text;
}

QString SourceChecker::digest(const Report &report, int shown)
{
    if (report.clean())
        return QString();
    // Enough of a line to know it again; a box is no place for a whole one.
    constexpr int QuoteLimit = 80;
    QStringList out{QStringLiteral("Замечания к тексту вопросов:")};
    for (qsizetype i = 0; i < report.findings.size() && i < shown; ++i)
        out.append(entry(report.findings[i], QuoteLimit));
    if (report.findings.size() > shown)
        out.append(QStringLiteral("Ещё замечаний: %1.").arg(report.findings.size() - shown));
    return out.join(QLatin1Char('\n'));
}

QString SourceChecker::describe(const Finding &f, int quoteLimit)
{
    const auto quoted = [&](const QByteArray &text) {
        const QString full = CodePage::toUnicode(text);
        if (quoteLimit < 0 || full.size() <= quoteLimit)
            return full;
        return full.left(quoteLimit) + QStringLiteral("…");
    };
    switch (f.kind) {
    case Kind::Utf8Text:
        return QStringLiteral("текст в кодировке UTF-8: тест будет записан в Windows-1251");
    case Kind::ForeignCharacter:
        return QStringLiteral("знака «%1» (позиция %2) нет в кодировке Windows-1251, в тесте он "
                              "станет знаком «?»: «%3»")
            .arg(f.character)
            .arg(f.column)
            .arg(quoted(f.text));
    case Kind::CyrillicLookAlikes:
    case Kind::CyrillicAlphabet: {
        const qsizetype half = f.letters.size() / 2;
        QStringList pairs;
        for (qsizetype i = 0; i < half; ++i)
            pairs.append(CodePage::toUnicode(f.letters.mid(i, 1)) + QStringLiteral(")→") +
                         QLatin1Char(f.letters[half + i]) + QLatin1Char(')'));
        const QString how = f.kind == Kind::CyrillicLookAlikes
                                ? QStringLiteral(", похожими на латинские,")
                                : QStringLiteral(" по порядку алфавита");
        return QStringLiteral("ответы отмечены русскими буквами%1 и прочитаны как латинские "
                              "(%2): «%3»")
            .arg(how, pairs.join(QStringLiteral(", ")), quoted(f.text));
    }
    case Kind::AmbiguousMarkers: {
        QStringList typed;
        for (const char c : f.letters)
            typed.append(CodePage::toUnicode(QByteArray(1, c)) + QLatin1Char(')'));
        return QStringLiteral("ответы отмечены русскими буквами %1, которые можно прочитать и "
                              "как похожие латинские, и по порядку русского алфавита; напишите "
                              "латинские A) B) C) D) E): «%2»")
            .arg(typed.join(QStringLiteral(" ")), quoted(f.text));
    }
    case Kind::TextAfterEnd:
        return QStringLiteral("символ Ctrl-Z заканчивает текст: всё, что после него, "
                              "не будет прочитано");
    case Kind::BeforeFirstQuestion:
        return QStringLiteral("ответ до первого вопроса не относится ни к одному вопросу: «%1»")
            .arg(quoted(f.text));
    case Kind::LooksLikeAnswer:
        return QStringLiteral("строка похожа на ответ, но будет прочитана как новый вопрос "
                              "(ответ начинается с латинской заглавной буквы A–E и скобки "
                              "в самом начале строки): «%1»")
            .arg(quoted(f.text));
    case Kind::MissingAnswers:
        return QStringLiteral(
                   "у вопроса нет ответов %1: останутся ответы предыдущего вопроса: «%2»")
            .arg(lettersText(f.letters), quoted(f.text));
    case Kind::RepeatedAnswer:
        return QStringLiteral("ответ %1 повторяется и заменяет ответ из строки %2: «%3»")
            .arg(lettersText(f.letters), linesText(f.otherLines), quoted(f.text));
    case Kind::NoMark:
        return QStringLiteral("у вопроса не отмечен правильный ответ: останется правильный ответ "
                              "предыдущего вопроса: «%1»")
            .arg(quoted(f.text));
    case Kind::SeveralMarks:
        return QStringLiteral("у вопроса отмечено несколько ответов (строки %1): засчитан будет "
                              "последний: «%2»")
            .arg(linesText(f.otherLines), quoted(f.text));
    case Kind::MarkedQuestion: {
        const char digit = SourceLine::markedDigit(f.text);
        const QString effect =
            digit ? QStringLiteral(" и задаст правильный ответ %1").arg(QLatin1Char(digit))
                  : QString();
        return QStringLiteral("строка вопроса оканчивается звёздочкой: звёздочка останется "
                              "в тексте вопроса%1: «%2»")
            .arg(effect, quoted(f.text));
    }
    case Kind::UnaskedLastQuestion:
        return QStringLiteral("последний вопрос не будет задан: последняя строка вопроса только "
                              "завершает тест, а под ней стоят ответы (нет завершающей строки?): "
                              "«%1»")
            .arg(quoted(f.text));
    case Kind::NoQuestions:
        return QStringLiteral("меньше двух строк вопросов: тест не задаст ни одного вопроса");
    case Kind::UnstorableByte:
        return QStringLiteral("знак с кодом %1 в позиции %2 нельзя сохранить в файле теста: "
                              "тест не будет записан, пока строка его содержит: «%3»")
            .arg(f.column > 0 && f.column <= f.text.size()
                     ? int(static_cast<unsigned char>(f.text[f.column - 1]))
                     : 0)
            .arg(f.column)
            .arg(quoted(f.text));
    case Kind::CrLineEnds:
        return QStringLiteral("строки разделены только знаком CR, без LF, и будут прочитаны как "
                              "одна строка (склеено строк: %1), начиная с «%2»")
            .arg(f.joinedLines)
            .arg(quoted(f.text));
    }
    return QString();
}
