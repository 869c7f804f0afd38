// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceWriter.h"

#include "CodePage.h"
#include "IniProfile.h"
#include "SourceLine.h"

const QByteArray SourceWriter::ClosingLine = CodePage::fromUnicode(QStringLiteral("Конец теста"));
const QByteArray SourceWriter::QuestionPrefix = CodePage::fromUnicode(QStringLiteral("Вопрос: "));

namespace {

// Why the test cannot hold the question, or an empty text.
QString unfit(const BankQuestion &q)
{
    if (q.text.isEmpty())
        return QStringLiteral("у вопроса нет текста");
    if (q.answers.size() > SourceLine::AnswerCount)
        return QStringLiteral("ответов %1, а в тесте их не больше пяти").arg(q.answers.size());
    if (q.answers.size() < 2)
        return QStringLiteral("меньше двух ответов");
    if (q.right < 0 || q.right >= q.answers.size())
        return QStringLiteral("не указан правильный ответ");
    return QString();
}

void noteLacking(BankQuestion &q, const QString &lacking)
{
    if (!lacking.isEmpty())
        q.losses.append(
            QStringLiteral("символы, которых нет в кодировке Windows-1251, заменены на «?»: %1")
                .arg(lacking));
}

void noteLength(BankQuestion &q, const QByteArray &line, const QString &what)
{
    if (line.size() > IniProfile::MaxValueLength)
        q.losses.append(QStringLiteral("%1 длиннее %2 байт: тест покажет только начало")
                            .arg(what)
                            .arg(IniProfile::MaxValueLength));
}

} // namespace

QByteArray SourceWriter::encode(const QString &text, QString *lacking)
{
    const QByteArray whole = CodePage::fromUnicode(text);
    if (CodePage::toUnicode(whole) == text)
        return whole;
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString one = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        const QByteArray encoded = CodePage::fromUnicode(one);
        if (encoded.size() == 1 && CodePage::toUnicode(encoded) == one) {
            out += encoded;
            continue;
        }
        out += '?';
        if (lacking && !lacking->contains(one)) {
            if (!lacking->isEmpty())
                lacking->append(QStringLiteral(", "));
            lacking->append(one);
        }
    }
    return out;
}

QByteArray SourceWriter::write(QList<BankQuestion> &questions)
{
    QByteArray out;
    for (BankQuestion &q : questions) {
        if (q.skipped())
            continue;
        q.skip = unfit(q);
        if (q.skipped())
            continue;

        QString lacking;
        QByteArray line = encode(q.text, &lacking);
        if (SourceLine::kind(line) != SourceLine::Kind::Question) {
            line = QuestionPrefix + line;
            q.losses.append(QStringLiteral("текст вопроса читался бы как строка ответа или "
                                           "разделитель: перед ним добавлено «%1»")
                                .arg(CodePage::toUnicode(QuestionPrefix.trimmed())));
        }
        noteLength(q, line, QStringLiteral("текст вопроса"));
        out += line + "\r\n";

        for (int i = 0; i < SourceLine::AnswerCount; ++i) {
            QByteArray answer = SourceLine::answerPrefix(i);
            if (i < q.answers.size()) {
                answer += ' ' + encode(q.answers[i], &lacking);
                if (i == q.right) {
                    answer += '*';
                } else if (answer.endsWith('*')) {
                    // The conversion would take the asterisk for the mark.
                    answer += ' ';
                    q.losses.append(QStringLiteral("ответ %1 оканчивается звёздочкой, которая "
                                                   "отметила бы его правильным: после неё "
                                                   "добавлен пробел")
                                        .arg(QLatin1Char(char('A' + i))));
                }
                noteLength(q, answer, QStringLiteral("ответ %1").arg(QLatin1Char(char('A' + i))));
            }
            out += answer + "\r\n";
        }
        out += SourceLine::Separator + "\r\n";
        noteLacking(q, lacking);
    }
    out += ClosingLine + "\r\n";
    return out;
}
