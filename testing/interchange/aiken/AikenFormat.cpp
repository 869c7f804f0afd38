// SPDX-License-Identifier: GPL-3.0-or-later
#include "AikenFormat.h"

#include "PlainText.h"

namespace {

const QString AnswerKey = QStringLiteral("ANSWER:");

struct Pending
{
    int line = 0;
    QStringList textLines;
    QList<QChar> letters;
    QStringList answers;
    bool open() const { return line > 0; }
};

BankQuestion finish(const Pending &p, const QString &answerLine)
{
    BankQuestion q;
    q.place = QStringLiteral("строка %1").arg(p.line);
    q.text = PlainText::joined(p.textLines.join(QLatin1Char(' ')));
    for (const QString &answer : p.answers)
        q.answers.append(PlainText::joined(answer));

    for (qsizetype i = 0; i < p.letters.size(); ++i) {
        if (p.letters.indexOf(p.letters[i]) != i) {
            q.skip = QStringLiteral("буква ответа %1 повторяется").arg(p.letters[i]);
            return q;
        }
    }
    if (answerLine.isNull()) {
        q.skip = p.answers.isEmpty() ? QStringLiteral("нет ни ответов, ни строки ANSWER:")
                                     : QStringLiteral("нет строки ANSWER: с правильным ответом");
        return q;
    }
    QString given = answerLine.mid(AnswerKey.size()).trimmed();
    if (given.isEmpty()) {
        q.skip = QStringLiteral("в строке ANSWER: не указан правильный ответ");
        return q;
    }
    QString letters = given;
    letters.remove(QLatin1Char(',')).remove(QLatin1Char(' ')).remove(QLatin1Char(';'));
    if (letters.size() > 1) {
        q.skip = QStringLiteral("несколько правильных ответов: %1").arg(given);
        return q;
    }
    q.right = int(p.letters.indexOf(letters[0]));
    if (q.right < 0)
        q.skip = QStringLiteral("правильного ответа %1 нет среди ответов").arg(given);
    return q;
}

} // namespace

QChar AikenFormat::answerLetter(const QString &line, QString *text)
{
    if (line.size() < 2)
        return QChar();
    const QChar letter = line[0];
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
        return QChar();
    if (line[1] != QLatin1Char('.') && line[1] != QLatin1Char(')'))
        return QChar();
    if (line.size() > 2 && line[2] != QLatin1Char(' ') && line[2] != QLatin1Char('\t'))
        return QChar();
    if (text)
        *text = line.mid(2).trimmed();
    return letter;
}

QuestionBank AikenFormat::read(const QString &text)
{
    QuestionBank bank;
    const QStringList lines = text.split(QLatin1Char('\n'));
    Pending pending;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        const int number = int(n + 1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(AnswerKey)) {
            if (!pending.open()) {
                bank.faults.append(
                    QStringLiteral("строка %1: строка ANSWER: без вопроса").arg(number));
                continue;
            }
            bank.questions.append(finish(pending, line));
            pending = Pending();
            continue;
        }
        QString answer;
        const QChar letter = answerLetter(line, &answer);
        if (pending.open() && !letter.isNull() && !pending.textLines.isEmpty()) {
            pending.letters.append(letter);
            pending.answers.append(answer);
            continue;
        }
        if (pending.open() && !pending.answers.isEmpty()) {
            // A question line after answers: the previous question had no
            // ANSWER line and this one begins.
            bank.questions.append(finish(pending, QString()));
            pending = Pending();
        }
        if (!pending.open())
            pending.line = number;
        pending.textLines.append(line);
    }
    if (pending.open())
        bank.questions.append(finish(pending, QString()));
    return bank;
}

QByteArray AikenFormat::write(QList<BankQuestion> &questions)
{
    QString out;
    for (BankQuestion &q : questions) {
        if (q.skipped())
            continue;
        if (!answerLetter(q.text, nullptr).isNull() || q.text.startsWith(AnswerKey)) {
            q.skip = QStringLiteral("в формате Aiken текст вопроса читался бы как ответ или "
                                    "строка ANSWER:");
            continue;
        }
        // A blank line is no question text: the first answer would be read
        // as the text.
        if (q.text.trimmed().isEmpty()) {
            q.skip = QStringLiteral("в формате Aiken нельзя записать вопрос без текста");
            continue;
        }
        out += q.text + QLatin1Char('\n');
        for (qsizetype i = 0; i < q.answers.size(); ++i)
            out += QLatin1Char(char('A' + i)) + QStringLiteral(") ") + q.answers[i] +
                   QLatin1Char('\n');
        out += AnswerKey + QLatin1Char(' ') + QLatin1Char(char('A' + q.right)) +
               QStringLiteral("\n\n");
    }
    return out.toUtf8();
}
