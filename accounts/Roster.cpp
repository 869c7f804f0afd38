// SPDX-License-Identifier: GPL-3.0-or-later
#include "Roster.h"

#include "Accounts.h"
#include "ClassStore.h"
#include "CodePage.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
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

std::optional<Roster::Column> Roster::columnTitled(const QString &title)
{
    static const QStringList names{QStringLiteral("фио"),
                                   QStringLiteral("ф.и.о."),
                                   QStringLiteral("ф. и. о."),
                                   QStringLiteral("фамилия"),
                                   QStringLiteral("имя"),
                                   QStringLiteral("отчество"),
                                   QStringLiteral("ученик"),
                                   QStringLiteral("студент"),
                                   QStringLiteral("пользователь"),
                                   QStringLiteral("фамилия имя"),
                                   QStringLiteral("фамилия и имя"),
                                   QStringLiteral("фамилия, имя"),
                                   QStringLiteral("имя пользователя"),
                                   QStringLiteral("name"),
                                   QStringLiteral("full name"),
                                   QStringLiteral("first name"),
                                   QStringLiteral("last name"),
                                   QStringLiteral("surname"),
                                   QStringLiteral("student"),
                                   QStringLiteral("user")};
    static const QStringList passwords{QStringLiteral("пароль"), QStringLiteral("password")};
    static const QStringList others{
        QStringLiteral("№"),       QStringLiteral("n"),         QStringLiteral("no"),
        QStringLiteral("номер"),   QStringLiteral("группа"),    QStringLiteral("класс"),
        QStringLiteral("email"),   QStringLiteral("e-mail"),    QStringLiteral("почта"),
        QStringLiteral("телефон"), QStringLiteral("group"),     QStringLiteral("class"),
        QStringLiteral("id"),      QStringLiteral("примечание")};
    const QString t = title.simplified().toLower();
    if (names.contains(t))
        return Column::Name;
    if (passwords.contains(t))
        return Column::Password;
    if (others.contains(t))
        return Column::Other;
    return std::nullopt;
}

namespace {

QStringList fieldsOf(const QString &line)
{
    // One separator for the line: a spreadsheet exports with one.
    const QChar cut = line.contains(QLatin1Char('\t')) && !line.contains(QLatin1Char(';'))
                          ? QLatin1Char('\t')
                          : QLatin1Char(';');
    QStringList fields = line.split(cut);
    for (QString &f : fields)
        f = f.trimmed();
    return fields;
}

} // namespace

Roster::Reading Roster::read(const ClassStore &store, const QByteArray &raw,
                             const QByteArray &adminLogin, const QString &columns)
{
    Reading reading;
    QHash<QByteArray, int> seen;
    const QStringList lines = decode(raw).split(QLatin1Char('\n'));
    QList<Column> layout;
    if (!columns.isEmpty()) {
        for (const QString &title : columns.split(QRegularExpression(QStringLiteral("[;,\t]")))) {
            const std::optional<Column> c = columnTitled(title);
            if (!c) {
                reading.unnamedColumns =
                    QStringLiteral("столбец «%1» неизвестен; известны ФИО, Фамилия, Имя, "
                                   "Отчество, Пароль и пропускаемые Группа, №, …")
                        .arg(title.trimmed());
                return reading;
            }
            layout.append(*c);
        }
    }
    bool first = true;
    int widest = 0;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int number = int(n + 1);
        QString line = lines[n];
        line.remove(QLatin1Char('\r'));
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = fieldsOf(line);
        // A header line is skipped also where the columns were named.
        if (first) {
            first = false;
            QList<Column> titled;
            bool named = false;
            for (const QString &f : fields) {
                const std::optional<Column> c = columnTitled(f);
                titled.append(c.value_or(Column::Other));
                named = named || (c && *c != Column::Other);
            }
            if (named) {
                reading.header = true;
                if (layout.isEmpty())
                    layout = titled;
                continue;
            }
        }
        first = false;
        QString typedName;
        QString typedPassword;
        int nonEmpty = 0;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            nonEmpty += !fields[i].isEmpty();
            const Column c = layout.isEmpty() ? (i == 0 ? Column::Name : Column::Other)
                                              : layout.value(i, Column::Other);
            if (c == Column::Name && !fields[i].isEmpty())
                typedName += (typedName.isEmpty() ? QString() : QStringLiteral(" ")) + fields[i];
            else if (c == Column::Password)
                typedPassword = fields[i];
        }
        widest = std::max(widest, nonEmpty);
        const auto refuse = [&](const QString &text) { reading.refusals.append({number, text}); };
        if (typedName.isEmpty()) {
            refuse(QStringLiteral("нет имени."));
            continue;
        }

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
    // Read as names alone, a roster of several columns would register the
    // name with its group; guessed, the group would become the password.
    if (layout.isEmpty() && widest > 1) {
        reading = Reading();
        reading.unnamedColumns =
            QStringLiteral("в списке несколько столбцов, а первая строка их не называет: "
                           "добавьте строку заголовка (например «ФИО;Пароль» или "
                           "«ФИО;Группа») или назовите столбцы параметром --columns "
                           "(например --columns ФИО,Пароль)");
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
    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\"/>"
        "<title>Пароли для входа</title><style>"
        "body{font-family:sans-serif}"
        ".slip{border:1px dashed #000;padding:4mm 6mm;margin:0 0 4mm;"
        "page-break-inside:avoid;break-inside:avoid}"
        ".slip p{margin:1mm 0}.p{font-family:monospace;font-size:130%}.how{font-size:90%}"
        "</style></head><body>\n"
        "<h1>Пароли для входа в электронный учебник</h1>\n");
    out += QStringLiteral("<p>Составлено %1. Разрежьте лист по пунктиру и раздайте каждому "
                          "его листок.</p>\n")
               .arg(made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    for (const Entry &e : entries)
        out +=
            QStringLiteral("<div class=\"slip\"><p>Пользователь: <b class=\"n\">%1</b></p>"
                           "<p>Пароль: <b class=\"p\">%2</b></p><p class=\"how\">Как войти: "
                           "запустите электронный учебник, на странице входа введите в поле "
                           "«Пользователь:» имя, в поле «Пароль:» пароль (как написано, с той же "
                           "раскладкой и регистром) и нажмите «Далее&gt;&gt;». Пароль никому не "
                           "показывайте.</p></div>\n")
                .arg(escaped(e.name), escaped(e.password));
    out += QStringLiteral("</body></html>\n");
    return out.toUtf8();
}
