// SPDX-License-Identifier: GPL-3.0-or-later
#include "Roster.h"

#include "Accounts.h"
#include "ClassStore.h"
#include "CodePage.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringDecoder>

const QByteArray Roster::PasswordAlphabet = QByteArrayLiteral("abcdefghjkmnpqrstuvwxyz23456789");

namespace {

QString decode(const QByteArray &raw)
{
    const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
    if (raw.startsWith(bom))
        return QString::fromUtf8(raw.mid(bom.size()));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(raw);
    return utf8.hasError() ? CodePage::toUnicode(raw) : text;
}

QString escaped(const QByteArray &text)
{
    return CodePage::toUnicode(text).toHtmlEscaped();
}

} // namespace

Roster::Reading Roster::read(const ClassStore &store, const QByteArray &raw,
                             const QByteArray &adminLogin)
{
    Reading reading;
    QHash<QByteArray, int> seen;
    const QStringList lines = decode(raw).split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int number = int(n + 1);
        QString line = lines[n];
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype semicolon = line.indexOf(QLatin1Char(';'));
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const qsizetype cut = semicolon < 0 ? tab : tab < 0 ? semicolon : std::min(semicolon, tab);
        const QString typedName = (cut < 0 ? line : line.left(cut)).trimmed();
        const QString typedPassword = cut < 0 ? QString() : line.mid(cut + 1).trimmed();
        const auto refuse = [&](const QString &text) { reading.refusals.append({number, text}); };

        Accounts::Refusal refusal = Accounts::checkSpelling(typedName, typedPassword);
        const QByteArray name = CodePage::fromUnicode(typedName);
        if (refusal == Accounts::Refusal::None)
            refusal = Accounts::checkName(name, adminLogin);
        if (refusal == Accounts::Refusal::None && store.isRegistered(name))
            refusal = Accounts::Refusal::AlreadyRegistered;
        Entry entry{number, name, CodePage::fromUnicode(typedPassword), typedPassword.isEmpty()};
        if (entry.generated)
            entry.password = generatePassword();
        if (refusal == Accounts::Refusal::None)
            refusal = Accounts::checkPassword(entry.password);
        if (refusal != Accounts::Refusal::None) {
            refuse(CodePage::toUnicode(Accounts::refusalText(refusal)));
            continue;
        }
        const QByteArray folded = CodePage::fold(name);
        if (seen.contains(folded)) {
            refuse(QStringLiteral("имя уже есть в строке %1.").arg(seen.value(folded)));
            continue;
        }
        seen.insert(folded, number);
        reading.entries.append(entry);
    }
    return reading;
}

QByteArray Roster::generatePassword()
{
    QByteArray password;
    for (int i = 0; i < 8; ++i)
        password +=
            PasswordAlphabet[QRandomGenerator::system()->bounded(int(PasswordAlphabet.size()))];
    return password;
}

QByteArray Roster::sheet(const QList<Entry> &entries, const QDateTime &made)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/>"
                                 "<title>Пароли для входа</title><style>"
                                 "body{font-family:sans-serif}table{border-collapse:collapse}"
                                 "td,th{border:1px solid #000;padding:6px 12px;text-align:left}"
                                 "td.p{font-family:monospace;font-size:120%}</style></head><body>\n"
                                 "<h1>Пароли для входа в электронный учебник</h1>\n");
    out += QStringLiteral("<p>Составлено %1.</p>\n")
               .arg(made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    out += QStringLiteral("<table>\n<tr><th>№</th><th>Пользователь</th><th>Пароль</th></tr>\n");
    int k = 0;
    for (const Entry &e : entries)
        out += QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"p\">%3</td></tr>\n")
                   .arg(++k)
                   .arg(escaped(e.name), escaped(e.password));
    out += QStringLiteral("</table>\n</body></html>\n");
    return out.toUtf8();
}
