#include "SourceChecker.h"

#include "CodePage.h"
#include "QuestionSource.h"
#include "SourceLine.h"
#include "TestConverter.h"
#include "TextFile.h"

#include <QStringList>
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

bool SourceChecker::isUtf8(const QByteArray &text)
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

SourceChecker::Report SourceChecker::checkFile(const QString &path)
{
    return check(TextFile::read(path));
}

SourceChecker::Report SourceChecker::check(const QByteArray &text)
{
    Report report;
    const QByteArray used = QuestionSource::usedPart(text);
    const QList<QByteArray> lines = QuestionSource::split(text);

    if (isUtf8(used)) {
        report.utf8 = true;
        for (qsizetype n = 0; n < lines.size(); ++n) {
            if (isUtf8(lines[n])) {
                report.findings.append({Kind::Utf8Text, int(n + 1), lines[n], {}, {}});
                break;
            }
        }
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
            if (!block.misread && block.answerLine[index] != 0)
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

QString SourceChecker::decode(const QByteArray &text, bool utf8)
{
    return utf8 ? QString::fromUtf8(text) : CodePage::toUnicode(text);
}

QString SourceChecker::entry(const Finding &f, bool utf8, int quoteLimit)
{
    const QString text = describe(f, utf8, quoteLimit);
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
        out.append(entry(report.findings[i], report.utf8, QuoteLimit));
    if (report.findings.size() > shown)
        out.append(QStringLiteral("Ещё замечаний: %1.").arg(report.findings.size() - shown));
    return out.join(QLatin1Char('\n'));
}

QString SourceChecker::describe(const Finding &f, bool utf8, int quoteLimit)
{
    const auto quoted = [&](const QByteArray &text) {
        const QString full = decode(text, utf8);
        if (quoteLimit < 0 || full.size() <= quoteLimit)
            return full;
        return full.left(quoteLimit) + QStringLiteral("…");
    };
    switch (f.kind) {
    case Kind::Utf8Text:
        return QStringLiteral("текст в кодировке UTF-8, а не Windows-1251: русские буквы "
                              "в тесте будут искажены");
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
