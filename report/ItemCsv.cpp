// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemCsv.h"

#include "ItemAnalysis.h"
#include "ReportCsv.h"

#include <QLocale>

QString ItemCsv::facility(double percent)
{
    return QLocale(QLocale::Russian).toString(percent, 'f', 1);
}

QString ItemCsv::discrimination(double r)
{
    return QLocale(QLocale::Russian).toString(r, 'f', 2);
}

QByteArray ItemCsv::write(const ItemAnalysis &items)
{
    QByteArray out("\xEF\xBB\xBF");
    ReportCsv::appendRow(
        out, {QStringLiteral("test"), QStringLiteral("version"), QStringLiteral("question"),
              QStringLiteral("runs"), QStringLiteral("facility"), QStringLiteral("discrimination"),
              QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
              QStringLiteral("E"), QStringLiteral("key"), QStringLiteral("flags")});
    for (const ItemAnalysis::Version &version : items.versions) {
        for (const ItemAnalysis::Question &q : version.questions) {
            QStringList fields{QStringLiteral("test%1").arg(version.test),
                               QString::fromLatin1(version.version),
                               QString::number(q.number),
                               QString::number(q.runs),
                               facility(q.facility()),
                               q.discrimination ? discrimination(*q.discrimination) : QString()};
            for (int count : q.choices)
                fields.append(QString::number(count));
            fields.append(q.key ? QString(QLatin1Char(char('A' + q.key - 1))) : QString());
            fields.append(ItemAnalysis::flagTexts(q.flags).join(QStringLiteral(", ")));
            ReportCsv::appendRow(out, fields);
        }
    }
    return out;
}
