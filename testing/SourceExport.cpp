// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceExport.h"

#include "CodePage.h"
#include "SourceLine.h"
#include "Store.h"

namespace {

bool hasLineBreak(const QByteArray &value)
{
    return value.contains('\n') || value.contains('\r') || value.contains(char(26));
}

// The missing-value marker would come back as a question of that text.
bool readsAsQuestion(const QByteArray &value)
{
    return SourceLine::kind(value) == SourceLine::Kind::Question && !hasLineBreak(value) &&
           value != Store::missing();
}

QString shown(const QByteArray &value)
{
    return CodePage::toUnicode(value);
}

} // namespace

QByteArray SourceExport::join(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

SourceExport::Result SourceExport::build(const TestFile &file, Mode mode)
{
    Result result;
    const int count = file.count();
    if (count < -1)
        result.problems.append(
            QStringLiteral("число вопросов %1: такое число не даёт ни один текст").arg(count));

    for (int k = 1; k <= count; ++k) {
        const QByteArray question = file.question(k);
        if (!readsAsQuestion(question))
            result.problems.append(
                QStringLiteral("вопрос %1: текст «%2» не читается как строка вопроса")
                    .arg(k)
                    .arg(shown(question)));
        result.lines.append(question);

        const QByteArray right = file.rightAnswer(k);
        const bool rightValid =
            right.size() == 1 && right[0] >= '1' && right[0] < '1' + SourceLine::AnswerCount;
        if (!rightValid)
            result.problems.append(
                QStringLiteral("вопрос %1: правильный ответ «%2» не цифра от 1 до 5")
                    .arg(k)
                    .arg(shown(right)));
        const int rightIndex = rightValid ? right[0] - '1' : -1;

        for (int i = 0; i < SourceLine::AnswerCount; ++i) {
            QByteArray answer = file.answer(k, i + 1);
            const QByteArray prefix = SourceLine::answerPrefix(i);
            if (SourceLine::answerIndex(answer) != i || hasLineBreak(answer))
                result.problems.append(
                    QStringLiteral("вопрос %1: ответ «%2» не читается как ответ %3")
                        .arg(k)
                        .arg(shown(answer), QString::fromLatin1(prefix)));
            else if (answer.endsWith('*'))
                result.problems.append(
                    QStringLiteral("вопрос %1: ответ «%2» оканчивается звёздочкой")
                        .arg(k)
                        .arg(shown(answer)));
            if (i == rightIndex) {
                if (answer.endsWith(' '))
                    answer[answer.size() - 1] = '*';
                else if (mode == Mode::Conversion)
                    result.lines.append(prefix + '*');
                else
                    answer += '*';
            }
            result.lines.append(answer);
        }
        result.lines.append(SourceLine::Separator);
    }

    if (mode == Mode::Conversion && count >= 0) {
        const QByteArray closing = file.question(count + 1);
        result.lines.append(readsAsQuestion(closing)
                                ? closing
                                : CodePage::fromUnicode(QStringLiteral("Конец теста")));
    }
    return result;
}
