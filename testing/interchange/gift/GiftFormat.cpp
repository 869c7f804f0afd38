// SPDX-License-Identifier: GPL-3.0-or-later
#include "GiftFormat.h"

#include "PlainText.h"

const QString GiftFormat::TrueText = QStringLiteral("Верно");
const QString GiftFormat::FalseText = QStringLiteral("Неверно");

namespace {

const QString Specials = QStringLiteral("~=#{}:");

// One character of a question block, and whether a backslash kept it from
// its meaning.
struct Mark
{
    QChar c;
    bool escaped = false;
};

using Marks = QList<Mark>;

Marks unescape(const QString &text)
{
    Marks out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (Specials.contains(next)) {
                out.append({next, true});
                ++i;
                continue;
            }
            if (next == QLatin1Char('n')) {
                out.append({QLatin1Char('\n'), true});
                ++i;
                continue;
            }
        }
        out.append({c, false});
    }
    return out;
}

QString plain(const Marks &marks, qsizetype from, qsizetype to)
{
    QString out;
    out.reserve(to - from);
    for (qsizetype i = from; i < to; ++i)
        out.append(marks[i].c);
    return out;
}

// The first unescaped c at or after from, or -1.
qsizetype find(const Marks &marks, QChar c, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        if (marks[i].c == c && !marks[i].escaped)
            return i;
    }
    return -1;
}

qsizetype findPair(const Marks &marks, QChar c, qsizetype from, qsizetype to)
{
    // The title's "::" is looked for two characters past the first non-blank,
    // which can lie past the end of a short block.
    to = qMin(to, marks.size());
    for (qsizetype i = from; i + 1 < to; ++i) {
        if (marks[i].c == c && !marks[i].escaped && marks[i + 1].c == c && !marks[i + 1].escaped)
            return i;
    }
    return -1;
}

qsizetype skipBlanks(const Marks &marks, qsizetype from, qsizetype to)
{
    while (from < to && marks[from].c.isSpace())
        ++from;
    return from;
}

int lineOf(const Marks &marks, qsizetype at, int firstLine)
{
    int line = firstLine;
    for (qsizetype i = 0; i < at && i < marks.size(); ++i) {
        if (marks[i].c == QLatin1Char('\n') && !marks[i].escaped)
            ++line;
    }
    return line;
}

struct Reader
{
    bool html = true; // [moodle] and [html] allow markup; [plain], [markdown] do not
    bool media = false;

    QString text(const Marks &marks, qsizetype from, qsizetype to)
    {
        const QString raw = plain(marks, from, to);
        if (!html)
            return PlainText::joined(raw);
        const PlainText::Reduced reduced = PlainText::fromHtml(raw);
        media = media || reduced.droppedMedia;
        return reduced.text;
    }
};

struct Choice
{
    bool right = false;
    QString weight; // the text between % and %, empty when none
    qsizetype from = 0;
    qsizetype to = 0;
    bool feedback = false;
};

bool isFullWeight(const QString &weight)
{
    bool ok = false;
    const double value = weight.toDouble(&ok);
    return ok && value == 100;
}

bool isNoWeight(const QString &weight)
{
    bool ok = false;
    const double value = weight.toDouble(&ok);
    return ok && value == 0;
}

void readAnswers(BankQuestion &q, Reader &reader, const Marks &marks, qsizetype from, qsizetype to)
{
    const qsizetype start = skipBlanks(marks, from, to);
    qsizetype end = to;
    while (end > start && marks[end - 1].c.isSpace())
        --end;
    if (start == end) {
        q.skip = QStringLiteral("эссе (вопрос без вариантов ответа) не переносится");
        return;
    }
    if (marks[start].c == QLatin1Char('#') && !marks[start].escaped) {
        q.skip = QStringLiteral("числовой вопрос не переносится");
        return;
    }
    const qsizetype general = [&] {
        for (qsizetype i = start; i + 3 < end; ++i) {
            if (findPair(marks, QLatin1Char('#'), i, i + 2) == i &&
                findPair(marks, QLatin1Char('#'), i + 2, i + 4) == i + 2)
                return i;
        }
        return qsizetype(-1);
    }();
    if (general >= 0) {
        q.losses.append(QStringLiteral("общий отзыв не переносится"));
        end = general;
        while (end > start && marks[end - 1].c.isSpace())
            --end;
    }

    const QString word = plain(marks, start, end);
    const qsizetype hash = find(marks, QLatin1Char('#'), start, end);
    const QString head = (hash < 0 ? word : plain(marks, start, hash)).trimmed().toUpper();
    if (head == QLatin1String("T") || head == QLatin1String("TRUE") || head == QLatin1String("F") ||
        head == QLatin1String("FALSE")) {
        q.answers = {GiftFormat::TrueText, GiftFormat::FalseText};
        q.right = head.startsWith(QLatin1Char('T')) ? 0 : 1;
        if (hash >= 0)
            q.losses.append(QStringLiteral("отзывы к ответам не переносятся"));
        return;
    }

    QList<Choice> choices;
    for (qsizetype i = start; i < end; ++i) {
        const Mark &m = marks[i];
        if (m.escaped || (m.c != QLatin1Char('=') && m.c != QLatin1Char('~')))
            continue;
        if (!choices.isEmpty())
            choices.last().to = i;
        Choice choice;
        choice.right = m.c == QLatin1Char('=');
        choice.from = i + 1;
        choice.to = end;
        choices.append(choice);
    }
    if (choices.isEmpty() || skipBlanks(marks, start, end) < choices.first().from - 1) {
        q.skip = QStringLiteral("ответы в фигурных скобках не начинаются с «=» или «~»");
        return;
    }

    bool matching = false;
    int rights = 0;
    int wrongs = 0;
    bool partial = false;
    for (Choice &c : choices) {
        qsizetype p = skipBlanks(marks, c.from, c.to);
        if (p < c.to && marks[p].c == QLatin1Char('%') && !marks[p].escaped) {
            const qsizetype close = find(marks, QLatin1Char('%'), p + 1, c.to);
            if (close > 0) {
                c.weight = plain(marks, p + 1, close).trimmed();
                c.from = close + 1;
            }
        }
        const qsizetype feedback = find(marks, QLatin1Char('#'), c.from, c.to);
        if (feedback >= 0) {
            c.feedback = true;
            c.to = feedback;
        }
        const QString body = plain(marks, c.from, c.to);
        if (c.right && body.contains(QLatin1String("->")))
            matching = true;
        if (!c.weight.isEmpty()) {
            if (isFullWeight(c.weight))
                c.right = true;
            else if (isNoWeight(c.weight))
                c.right = false;
            else
                partial = true;
        }
        if (c.right)
            ++rights;
        else
            ++wrongs;
    }
    if (matching) {
        q.skip = QStringLiteral("вопрос на соответствие не переносится");
        return;
    }
    if (partial) {
        q.skip = QStringLiteral("ответы с частичными баллами не переносятся");
        return;
    }
    if (wrongs == 0) {
        q.skip = QStringLiteral("вопрос с кратким ответом не переносится");
        return;
    }
    if (rights == 0) {
        q.skip = QStringLiteral("нет правильного ответа");
        return;
    }
    if (rights > 1) {
        q.skip = QStringLiteral("несколько правильных ответов (%1)").arg(rights);
        return;
    }
    bool feedback = false;
    for (const Choice &c : choices) {
        if (c.right)
            q.right = int(q.answers.size());
        q.answers.append(reader.text(marks, c.from, c.to));
        feedback = feedback || c.feedback;
    }
    if (feedback)
        q.losses.append(QStringLiteral("отзывы к ответам не переносятся"));
}

BankQuestion readQuestion(const Marks &marks, int firstLine)
{
    BankQuestion q;
    q.place = QStringLiteral("строка %1").arg(firstLine);
    const qsizetype size = marks.size();
    qsizetype p = skipBlanks(marks, 0, size);

    if (findPair(marks, QLatin1Char(':'), p, p + 2) == p) {
        const qsizetype close = findPair(marks, QLatin1Char(':'), p + 2, size);
        if (close < 0) {
            q.skip = QStringLiteral("название вопроса «::» не закрыто");
            return q;
        }
        const QString title = PlainText::joined(plain(marks, p + 2, close));
        if (!title.isEmpty())
            q.place += QStringLiteral(" «%1»").arg(title);
        p = skipBlanks(marks, close + 2, size);
    }

    Reader reader;
    if (p < size && marks[p].c == QLatin1Char('[') && !marks[p].escaped) {
        const qsizetype close = find(marks, QLatin1Char(']'), p, size);
        const QString format = close > 0 ? plain(marks, p + 1, close).toLower() : QString();
        if (format == QLatin1String("html") || format == QLatin1String("moodle") ||
            format == QLatin1String("plain") || format == QLatin1String("markdown")) {
            reader.html = format == QLatin1String("html") || format == QLatin1String("moodle");
            p = close + 1;
        }
    }

    const qsizetype open = find(marks, QLatin1Char('{'), p, size);
    if (open < 0) {
        q.skip = QStringLiteral("описание (текст без ответов) не переносится");
        return q;
    }
    const qsizetype close = find(marks, QLatin1Char('}'), open + 1, size);
    if (close < 0) {
        q.skip = QStringLiteral("фигурная скобка из строки %1 не закрыта")
                     .arg(lineOf(marks, open, firstLine));
        return q;
    }
    const qsizetype secondOpen = find(marks, QLatin1Char('{'), open + 1, size);
    if (secondOpen >= 0 && secondOpen < close) {
        q.skip = QStringLiteral("фигурная скобка из строки %1 не закрыта до следующей «{»")
                     .arg(lineOf(marks, open, firstLine));
        return q;
    }
    if (find(marks, QLatin1Char('{'), close + 1, size) >= 0) {
        q.skip = QStringLiteral("несколько блоков ответов в одном вопросе не переносятся");
        return q;
    }

    readAnswers(q, reader, marks, open + 1, close);
    if (q.skipped())
        return q;

    const QString before = reader.text(marks, p, open);
    const QString after = reader.text(marks, close + 1, size);
    q.text = after.isEmpty() ? before : before + QStringLiteral(" _____ ") + after;
    q.text = PlainText::joined(q.text);
    if (reader.media)
        q.losses.prepend(QStringLiteral("изображения и другие вставки удалены"));
    if (find(marks, QLatin1Char('}'), close + 1, size) >= 0)
        q.losses.append(QStringLiteral("лишняя «}» после ответов осталась в тексте"));
    return q;
}

bool isComment(const QString &line)
{
    return line.trimmed().startsWith(QLatin1String("//"));
}

} // namespace

QuestionBank GiftFormat::read(const QString &text)
{
    QuestionBank bank;
    const QStringList lines = text.split(QLatin1Char('\n'));
    QStringList block;
    int blockLine = 0;
    const auto flush = [&] {
        if (block.isEmpty())
            return;
        const QString first = block.first().trimmed();
        if (first.startsWith(QLatin1String("$CATEGORY:"))) {
            bank.notes.append(QStringLiteral("строка %1: категория «%2» не переносится")
                                  .arg(blockLine)
                                  .arg(first.mid(10).trimmed()));
            block.removeFirst();
            ++blockLine;
            while (!block.isEmpty() && block.first().trimmed().isEmpty()) {
                block.removeFirst();
                ++blockLine;
            }
            if (block.isEmpty())
                return;
        }
        bank.questions.append(readQuestion(unescape(block.join(QLatin1Char('\n'))), blockLine));
        block.clear();
    };
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        if (isComment(line)) {
            // Kept as an empty line inside a question, so that line numbers
            // found in it still count from the question's first line.
            if (!block.isEmpty())
                block.append(QString());
            continue;
        }
        if (line.trimmed().isEmpty()) {
            flush();
            block.clear();
            continue;
        }
        if (block.isEmpty())
            blockLine = int(n + 1);
        block.append(line);
    }
    flush();
    return bank;
}

QString GiftFormat::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (Specials.contains(c))
            out.append(QLatin1Char('\\'));
        out.append(c);
    }
    return out;
}

QByteArray GiftFormat::write(QList<BankQuestion> &questions)
{
    QString out;
    int number = 0;
    for (BankQuestion &q : questions) {
        ++number;
        if (q.skipped())
            continue;
        QStringList texts{q.text};
        texts.append(q.answers);
        for (const QString &t : texts) {
            for (qsizetype i = 0; i + 1 < t.size(); ++i) {
                if (t[i] == QLatin1Char('\\') &&
                    (Specials.contains(t[i + 1]) || t[i + 1] == QLatin1Char('n'))) {
                    q.losses.append(QStringLiteral("обратная косая черта перед «%1» в GIFT "
                                                   "читается как знак экранирования")
                                        .arg(t[i + 1]));
                    break;
                }
            }
        }
        // GIFT has no escape for "%": an answer that begins with a pair of
        // them is read with a weight in front.
        for (const QString &a : std::as_const(q.answers)) {
            const QString t = a.trimmed();
            if (t.startsWith(QLatin1Char('%')) && t.indexOf(QLatin1Char('%'), 1) > 0) {
                q.losses.append(
                    QStringLiteral("ответ «%1» в GIFT читается как вес и ответ").arg(t));
                break;
            }
        }
        if (q.answers.value(q.right).contains(QLatin1String("->"))) {
            q.skip = QStringLiteral("в GIFT правильный ответ с «->» читается как вопрос на "
                                    "соответствие");
            continue;
        }
        out += QStringLiteral("::%1::[plain]%2 {\n").arg(number).arg(escaped(q.text));
        for (qsizetype i = 0; i < q.answers.size(); ++i)
            out += (i == q.right ? QLatin1Char('=') : QLatin1Char('~')) + escaped(q.answers[i]) +
                   QLatin1Char('\n');
        out += QStringLiteral("}\n\n");
    }
    return out.toUtf8();
}
