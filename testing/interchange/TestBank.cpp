// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestBank.h"

#include "CodePage.h"
#include "PlainText.h"
#include "SourceLine.h"
#include "Store.h"
#include "TestFile.h"

namespace {

QChar letter(int i)
{
    return QLatin1Char(char('A' + i));
}

} // namespace

QList<BankQuestion> TestBank::fromTest(const TestFile &file)
{
    QList<BankQuestion> bank;
    const int count = file.count();
    for (int k = 1; k <= count; ++k) {
        BankQuestion q;
        q.place = QStringLiteral("вопрос %1").arg(k);
        const QByteArray question = file.question(k);
        if (question == Store::missing()) {
            q.skip = QStringLiteral("в тесте нет текста вопроса");
            bank.append(q);
            continue;
        }
        q.text = CodePage::toUnicode(question);
        if (PlainText::joined(q.text) != q.text)
            q.losses.append(QStringLiteral("текст вопроса вернётся при импорте как «%1»")
                                .arg(PlainText::joined(q.text)));

        const QByteArray right = file.rightAnswer(k);
        const int rightIndex =
            right.size() == 1 && right[0] >= '1' && right[0] < '1' + SourceLine::AnswerCount
                ? right[0] - '1'
                : -1;

        bool gap = false;
        bool shifted = false;
        for (int i = 0; i < SourceLine::AnswerCount; ++i) {
            const QByteArray stored = file.answer(k, i + 1);
            if (stored == Store::missing()) {
                q.losses.append(QStringLiteral("в тесте нет ответа %1").arg(letter(i)));
                gap = true;
                continue;
            }
            QByteArray body = stored;
            const bool prefixed = SourceLine::answerIndex(stored) == i;
            if (prefixed) {
                body = stored.mid(2);
                if (body.startsWith(' '))
                    body.remove(0, 1);
            } else {
                q.losses.append(
                    QStringLiteral("ответ %1 не начинается с «%2»: он перенесён целиком")
                        .arg(letter(i))
                        .arg(QLatin1String(SourceLine::answerPrefix(i))));
            }
            if (i == rightIndex && body.endsWith(' '))
                body.chop(1);
            const QString text = CodePage::toUnicode(body);
            const QString kept = PlainText::joined(text);
            if (kept.isEmpty()) {
                if (i == rightIndex) {
                    q.skip = QStringLiteral("правильный ответ %1 пуст").arg(letter(i));
                    break;
                }
                gap = true;
                continue;
            }
            // Import writes the prefix, one blank and the reduced text.
            const QByteArray back = SourceLine::answerPrefix(i) + ' ' + CodePage::fromUnicode(kept);
            if (prefixed && back + (i == rightIndex ? " " : "") != stored)
                q.losses.append(QStringLiteral("ответ %1 вернётся при импорте как «%2»")
                                    .arg(letter(i))
                                    .arg(CodePage::toUnicode(back)));
            if (gap)
                shifted = true;
            if (i == rightIndex)
                q.right = int(q.answers.size());
            q.answers.append(text);
        }
        if (!q.skipped() && rightIndex < 0)
            q.skip = QStringLiteral("правильный ответ «%1» не цифра от 1 до 5")
                         .arg(CodePage::toUnicode(right));
        else if (!q.skipped() && q.answers.size() < 2)
            q.skip = QStringLiteral("меньше двух ответов");
        if (shifted)
            q.losses.append(QStringLiteral("ответы после пустого или отсутствующего сдвинутся "
                                           "на букву вверх"));
        bank.append(q);
    }
    return bank;
}
