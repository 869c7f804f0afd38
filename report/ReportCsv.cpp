// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportCsv.h"

#include "ClassReport.h"
#include "CodePage.h"
#include "LogDate.h"

namespace {

const QString WithoutRecord = QStringLiteral("в списке users, но нет записи в users.ini");
const QString Unlisted = QStringLiteral("запись users.ini, которой нет в списке users");

QString joined(const QString &texts, const QString &text)
{
    return texts.isEmpty() ? text : texts + QStringLiteral("; ") + text;
}

} // namespace

void ReportCsv::appendRow(QByteArray &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += ';';
        out += field(fields[i]).toUtf8();
    }
    out += "\r\n";
}

QString ReportCsv::field(const QString &rawText)
{
    // A name a student chose may start like a formula, which a spreadsheet
    // would run when the teacher opens the table: a quote before it makes
    // it text.
    static const QString FormulaStarts = QStringLiteral("=+-@\t\r");
    const QString text = !rawText.isEmpty() && FormulaStarts.contains(rawText.front())
                             ? QLatin1Char('\'') + rawText
                             : rawText;
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray ReportCsv::write(const ClassReport &report)
{
    QByteArray out("\xEF\xBB\xBF");
    QStringList header{QStringLiteral("Пользователь")};
    // A numbered test keeps the record's name, which a teacher's sheet reads.
    QStringList heads;
    for (const ClassReport::CourseTest &test : report.courseTests)
        heads.append(test.numbered() ? QStringLiteral("test%1").arg(test.test) : test.label);
    header += heads;
    for (const QString &head : heads)
        header.append(QStringLiteral("Попыток ") + head);
    header.append(QStringLiteral("Последняя запись журнала"));
    header.append(SuspiciousRecords::Title);
    appendRow(out, header);

    for (const ClassReport::Row &row : report.rows) {
        QStringList fields{CodePage::toUnicode(row.name)};
        // A test not taken is empty, not the 0 or the 1 registration stores.
        for (const ClassReport::CourseTest &test : report.courseTests) {
            const int k = test.test;
            fields.append(row.took(k) ? QString::number(*row.grades[k - 1]) : QString());
        }
        for (const ClassReport::CourseTest &test : report.courseTests)
            fields.append(QString::number(row.runs[test.test - 1]));
        if (row.lastDate.isValid())
            fields.append(LogDate::show(row.lastDate));
        else
            fields.append(CodePage::toUnicode(row.lastDateText));
        QString about = report.suspicious.aboutUser(row.name);
        if (report.records.withoutRecord.contains(row.name))
            about = joined(about, WithoutRecord);
        fields.append(about);
        appendRow(out, fields);
    }
    // A record the list lacks has no row of the table; it gets one here, with
    // nothing but its name and what is wrong with it.
    for (const QByteArray &name : report.records.unlisted) {
        QStringList fields{CodePage::toUnicode(name)};
        for (qsizetype i = 0; i < 2 * report.courseTests.size() + 1; ++i)
            fields.append(QString());
        fields.append(joined(report.suspicious.aboutUser(name), Unlisted));
        appendRow(out, fields);
    }
    return out;
}
