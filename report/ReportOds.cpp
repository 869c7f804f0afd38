// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportOds.h"

#include "ClassReport.h"
#include "CodePage.h"
#include "ItemAnalysis.h"
#include "ZipArchive.h"

#include <QXmlStreamWriter>

namespace {

const QString Office = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString Table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString Text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

class Sheet
{
public:
    explicit Sheet(QXmlStreamWriter &xml, const QString &name) : m_xml(xml)
    {
        m_xml.writeStartElement(Table, QStringLiteral("table"));
        m_xml.writeAttribute(Table, QStringLiteral("name"), name);
    }
    ~Sheet() { m_xml.writeEndElement(); }
    void row() { m_xml.writeStartElement(Table, QStringLiteral("table-row")); }
    void end() { m_xml.writeEndElement(); }
    void text(const QString &value) { cell(QStringLiteral("string"), QString(), QString(), value); }
    void number(double value, const QString &shown = QString())
    {
        cell(QStringLiteral("float"), QStringLiteral("value"), QString::number(value, 'g', 15),
             shown.isEmpty() ? QString::number(value, 'g', 15) : shown);
    }
    void date(const QDate &d)
    {
        cell(QStringLiteral("date"), QStringLiteral("date-value"), d.toString(Qt::ISODate),
             d.toString(QStringLiteral("dd.MM.yyyy")));
    }
    void time(const QTime &t)
    {
        cell(QStringLiteral("time"), QStringLiteral("time-value"),
             t.toString(QStringLiteral("'PT'HH'H'mm'M'ss'S'")),
             t.toString(QStringLiteral("HH:mm:ss")));
    }
    void empty() { m_xml.writeEmptyElement(Table, QStringLiteral("table-cell")); }
    void texts(const QStringList &values)
    {
        row();
        for (const QString &v : values)
            text(v);
        end();
    }

private:
    void cell(const QString &type, const QString &attribute, const QString &value,
              const QString &shown)
    {
        m_xml.writeStartElement(Table, QStringLiteral("table-cell"));
        m_xml.writeAttribute(Office, QStringLiteral("value-type"), type);
        if (!attribute.isEmpty())
            m_xml.writeAttribute(Office, attribute, value);
        m_xml.writeTextElement(Text, QStringLiteral("p"), shown);
        m_xml.writeEndElement();
    }
    QXmlStreamWriter &m_xml;
};

const QString Letters = QStringLiteral("ABCDE");

QByteArray manifest()
{
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\">\n"
        " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
        " <manifest:file-entry manifest:full-path=\"content.xml\" "
        "manifest:media-type=\"text/xml\"/>\n"
        "</manifest:manifest>\n");
}

} // namespace

std::optional<ReportOds::Final> ReportOds::finalNamed(const QString &word)
{
    if (word == QLatin1String("mean"))
        return Final::Mean;
    if (word == QLatin1String("lowest"))
        return Final::Lowest;
    return std::nullopt;
}

std::optional<int> ReportOds::finalGrade(const ClassReport &report, qsizetype r, Final rule)
{
    const ClassReport::Row &row = report.rows[r];
    int sum = 0;
    int count = 0;
    int lowest = 5;
    for (const ClassReport::CourseTest &test : report.courseTests) {
        const int k = test.test;
        if (!row.took(k))
            continue;
        const int g = *row.grades[k - 1];
        sum += g;
        ++count;
        lowest = std::min(lowest, g);
    }
    if (!count)
        return std::nullopt;
    // A half rounds up, as a share equal to a grade's limit takes that grade.
    return rule == Final::Lowest ? lowest : (2 * sum + count) / (2 * count);
}

QByteArray ReportOds::write(const ClassReport &report, Final rule, const QDateTime &made)
{
    QByteArray content;
    QXmlStreamWriter xml(&content);
    xml.writeStartDocument();
    xml.writeNamespace(Office, QStringLiteral("office"));
    xml.writeNamespace(Table, QStringLiteral("table"));
    xml.writeNamespace(Text, QStringLiteral("text"));
    xml.writeStartElement(Office, QStringLiteral("document-content"));
    xml.writeAttribute(Office, QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(Office, QStringLiteral("body"));
    xml.writeStartElement(Office, QStringLiteral("spreadsheet"));
    {
        Sheet grades(xml, QStringLiteral("Оценки"));
        QStringList header{QStringLiteral("Ученик")};
        for (const ClassReport::CourseTest &test : report.courseTests)
            header.append(test.numbered() ? QStringLiteral("Тест %1").arg(test.test) : test.label);
        header.append(rule == Final::Mean ? QStringLiteral("Итоговая (среднее)")
                                          : QStringLiteral("Итоговая (низшая)"));
        grades.texts(header);
        for (qsizetype r = 0; r < report.rows.size(); ++r) {
            const ClassReport::Row &row = report.rows[r];
            grades.row();
            grades.text(CodePage::toUnicode(row.name));
            for (const ClassReport::CourseTest &test : report.courseTests) {
                const int k = test.test;
                if (row.took(k))
                    grades.number(*row.grades[k - 1]);
                else
                    grades.empty();
            }
            if (const std::optional<int> f = finalGrade(report, r, rule))
                grades.number(*f);
            else
                grades.empty();
            grades.end();
        }
    }
    {
        Sheet runs(xml, QStringLiteral("Попытки"));
        runs.texts({QStringLiteral("Ученик"), QStringLiteral("Дата"), QStringLiteral("Время"),
                    QStringLiteral("Тест"), QStringLiteral("Оценка")});
        for (const TestLogReader::Run &run : report.runList) {
            runs.row();
            runs.text(CodePage::toUnicode(run.user));
            if (run.date.isValid())
                runs.date(run.date);
            else
                runs.text(CodePage::toUnicode(run.dateText));
            if (run.time.isValid())
                runs.time(run.time);
            else
                runs.text(CodePage::toUnicode(run.timeText));
            runs.number(run.test);
            runs.number(run.grade);
            runs.end();
        }
    }
    {
        Sheet items(xml, QStringLiteral("Анализ вопросов"));
        QStringList header{QStringLiteral("Тест"),
                           QStringLiteral("Версия"),
                           QStringLiteral("Вопрос"),
                           QStringLiteral("Текст"),
                           QStringLiteral("Попыток"),
                           QStringLiteral("Верно, %"),
                           QStringLiteral("Различающая способность")};
        for (QChar c : Letters)
            header.append(QStringLiteral("Выбрали %1").arg(c));
        header << QStringLiteral("Ключ") << QStringLiteral("Замечания");
        items.texts(header);
        for (const ItemAnalysis::Version &v : report.items.versions) {
            for (const ItemAnalysis::Question &q : v.questions) {
                items.row();
                items.number(v.test);
                items.text(QString::fromLatin1(v.version));
                items.number(q.number);
                items.text(CodePage::toUnicode(q.text));
                items.number(q.runs);
                items.number(q.facility());
                if (q.discrimination)
                    items.number(*q.discrimination);
                else
                    items.empty();
                for (int c : q.choices)
                    items.number(c);
                if (q.key)
                    items.text(Letters.at(q.key - 1));
                else
                    items.empty();
                items.text(ItemAnalysis::flagTexts(q.flags).join(QStringLiteral("; ")));
                items.end();
            }
        }
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();

    ZipArchive zip(made);
    // The type first and stored, so that it can be told from the file's start.
    zip.add("mimetype", "application/vnd.oasis.opendocument.spreadsheet", true);
    zip.add("content.xml", content);
    zip.add("META-INF/manifest.xml", manifest());
    return zip.bytes();
}
