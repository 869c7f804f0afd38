// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportHtml.h"

#include "BarChart.h"
#include "ClassReport.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "ItemCsv.h"
#include "LogDate.h"

#include <QLocale>
#include <algorithm>

const QString ReportHtml::DayColor = QStringLiteral("#1f5fa8");

namespace {

const QString Passed = QStringLiteral("\u2713");
const QString Failed = QStringLiteral("\u2717");
constexpr int SampleLines = 30;

QString esc(const QString &text)
{
    return BarChart::escape(text);
}

QString esc(const QByteArray &stored)
{
    return BarChart::escape(CodePage::toUnicode(stored));
}

QString decimal(double v)
{
    return QLocale(QLocale::Russian).toString(v, 'f', 1);
}

const char *const Style = R"(
@page { size: A4; margin: 12mm; }
* { box-sizing: border-box; -webkit-print-color-adjust: exact; print-color-adjust: exact; }
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 10pt;
  color: #1a1a1a; background: #ffffff; margin: 0 auto; max-width: 190mm; padding: 6mm 4mm; }
h1 { font-size: 17pt; margin: 0 0 1mm; }
h2 { font-size: 13pt; margin: 7mm 0 2mm; padding-bottom: 1mm; border-bottom: 2px solid #34495e;
  break-after: avoid; page-break-after: avoid; }
h3 { font-size: 11pt; margin: 0 0 1mm; }
p { margin: 1mm 0; }
.sub { color: #444444; margin-bottom: 4mm; }
.tiles { display: flex; flex-wrap: wrap; gap: 3mm; margin: 3mm 0; }
.tile { border: 1px solid #bbbbbb; border-radius: 2mm; padding: 2mm 4mm; min-width: 38mm; }
.tile b { display: block; font-size: 15pt; }
table { border-collapse: collapse; }
th, td { border: 1px solid #aaaaaa; padding: 1px 4px; text-align: center; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
#class { width: 100%; font-size: 8.5pt; }
#class th { background: #e8ecf1; }
#class td.name { text-align: left; }
#class td { white-space: nowrap; }
#class td.name { white-space: normal; min-width: 38mm; }
td.pass, span.pass { background: #d9f0d3; color: #1b5e20; font-weight: bold; }
td.fail, span.fail { background: #fbdcdc; color: #8e1b1b; }
td.none, span.none { color: #8a8a8a; }
td.bad, span.bad { background: #fff1b8; color: #6d4c00; font-weight: bold; }
span.pass, span.fail, span.none, span.bad { padding: 0 3px; border: 1px solid #aaaaaa; }
.legend { font-size: 9pt; color: #333333; }
.test { display: inline-block; vertical-align: top; width: 49%; margin: 0 0 3mm 0;
  border: 1px solid #bbbbbb; border-radius: 2mm; padding: 2mm; break-inside: avoid;
  page-break-inside: avoid; }
.test:nth-child(odd) { margin-right: 1.5%; }
.stats th { text-align: left; font-weight: normal; border: none; padding: 0 6px 0 0; }
.stats td { text-align: left; border: none; padding: 0; font-weight: bold; }
.keep { break-inside: avoid; page-break-inside: avoid; }
.chart { display: block; max-width: 100%; height: auto; }
.problems li { margin-bottom: 2mm; }
.lines { font-family: "DejaVu Sans Mono", monospace; font-size: 8pt; }
.lines td { text-align: left; }
.ok { color: #1b5e20; }
.items { width: 100%; font-size: 8pt; margin-bottom: 4mm; }
.items th { background: #e8ecf1; }
.items td.text { text-align: left; min-width: 45mm; }
.items td.other { text-align: left; color: #8a8a8a; font-style: italic; }
.items td.key { background: #d9f0d3; color: #1b5e20; font-weight: bold; }
.items td.flags { text-align: left; color: #8e1b1b; }
.items td.pic { padding: 0; }
.items .chart { width: 32mm; }
@media print { body { max-width: none; padding: 0; } a { color: inherit; text-decoration: none; } }
)";

QString gradeCell(const ClassReport::Row &row, int k)
{
    const std::optional<quint8> &grade = row.grades[k - 1];
    if (!row.hasRecord)
        return QStringLiteral("<td class=\"none\"></td>");
    if (!grade)
        return QStringLiteral("<td class=\"bad\" title=\"оценку не удалось прочитать\">?</td>");
    const QString value = QString::number(*grade);
    if (!row.took(k)) {
        if (*grade > 5)
            return QStringLiteral("<td class=\"bad\" title=\"не оценка\">%1</td>").arg(value);
        return QStringLiteral("<td class=\"none\">%1</td>").arg(value);
    }
    if (row.passed(k))
        return QStringLiteral("<td class=\"pass\">%1\u00A0%2</td>").arg(Passed, value);
    return QStringLiteral("<td class=\"fail\">%1\u00A0%2</td>").arg(Failed, value);
}

QString lastRun(const ClassReport::Row &row)
{
    if (row.lastDate.isValid() || row.lastDateText.isEmpty())
        return QStringLiteral("<td>%1</td>").arg(LogDate::show(row.lastDate));
    return QStringLiteral("<td class=\"bad\" title=\"дата не распознана\">%1</td>")
        .arg(esc(row.lastDateText));
}

// A test the course numbers as the shipped one does is "№k"; one of its own
// words goes by its caption, quoted inside a sentence.
QString reachedText(const ClassReport &report, int k, bool inSentence = false)
{
    for (const ClassReport::CourseTest &test : report.courseTests) {
        if (test.test == k && !test.numbered())
            return inSentence ? QStringLiteral("«%1»").arg(esc(test.label)) : esc(test.label);
    }
    return QStringLiteral("№%1").arg(k);
}

QString classTable(const ClassReport &report)
{
    QString out;
    out += QStringLiteral("<h2>Успеваемость класса</h2>");
    out += QStringLiteral(
               "<p class=\"legend\"><span class=\"pass\">%1 4</span> сдан (оценка 3 и выше); "
               "<span class=\"fail\">%2 2</span> не сдан; <span class=\"none\">0</span> не "
               "проходил (1 по тесту №1 без попыток в журнале — оценка, записанная при "
               "регистрации); <span class=\"bad\">?</span> оценку не удалось прочитать. "
               "«Достигнут» — старший тест, открытый ученику.</p>")
               .arg(Passed, Failed);
    out += QStringLiteral("<table id=\"class\"><thead><tr><th>№</th><th>Ученик</th>");
    // A test of the course's own words is headed with them; one numbered as
    // the shipped course numbers it keeps its short heading.
    for (const ClassReport::CourseTest &test : report.courseTests)
        out += QStringLiteral("<th title=\"%1\">%2</th>")
                   .arg(esc(test.label),
                        test.numbered() ? QStringLiteral("Т%1").arg(test.test) : esc(test.label));
    out += QStringLiteral("<th>Достигнут</th><th>Попыток</th><th>Последняя попытка</th>"
                          "</tr></thead><tbody>");
    for (qsizetype i = 0; i < report.rows.size(); ++i) {
        const ClassReport::Row &row = report.rows[i];
        out += QStringLiteral("<tr><td>%1</td><td class=\"name\">%2</td>")
                   .arg(i + 1)
                   .arg(esc(row.name));
        for (const ClassReport::CourseTest &test : report.courseTests)
            out += gradeCell(row, test.test);
        out += QStringLiteral("<td>%1</td><td>%2</td>%3</tr>")
                   .arg(row.hasRecord ? reachedText(report, row.reached) : QString())
                   .arg(row.totalRuns)
                   .arg(lastRun(row));
    }
    out += QStringLiteral("</tbody></table>");
    if (report.rows.isEmpty())
        out += QStringLiteral("<p>В списке users нет ни одного пользователя.</p>");
    return out;
}

QString stuckList(const ClassReport &report)
{
    QString items;
    int idle = 0;
    for (const ClassReport::Row &row : report.rows) {
        if (row.hasRecord && row.totalRuns == 0)
            ++idle;
        if (!row.stuck())
            continue;
        items += QStringLiteral("<li>%1 — тест %2: оценка %3 после %4 попыток</li>")
                     .arg(esc(row.name), reachedText(report, row.reached, true),
                          QString::number(*row.grades[row.reached - 1]),
                          QString::number(row.runs[row.reached - 1]));
    }
    QString out = QStringLiteral("<h2>Кому нужна помощь</h2>");
    if (items.isEmpty())
        out += QStringLiteral("<p>Никто не остановился на несданном тесте после нескольких "
                              "попыток.</p>");
    else
        out += QStringLiteral("<p>Не сдали открытый им тест, хотя пробовали не раз:</p><ul "
                              "id=\"stuck\">") +
               items + QStringLiteral("</ul>");
    if (idle)
        out += QStringLiteral("<p>Ещё не проходили ни одного теста: %1.</p>").arg(idle);
    return out;
}

QString testCards(const ClassReport &report)
{
    QString out = QStringLiteral("<h2>Результаты по тестам</h2>");
    if (report.tests.isEmpty())
        return out + QStringLiteral("<p>Пока никто не проходил тестов.</p>");
    out += QStringLiteral("<p class=\"legend\">Распределение текущих оценок учеников; "
                          "пунктир отделяет несданные оценки (%1) от сданных (%2).</p>")
               .arg(Failed, Passed);
    out += QStringLiteral("<div class=\"tests\">");
    for (const ClassReport::TestSummary &t : report.tests) {
        BarChart chart;
        chart.width = 330;
        chart.height = 170;
        chart.dividerAfter = ClassReport::PassGrade - 2;
        const QString label = report.testLabel(t.test);
        chart.title = QStringLiteral("%1: число учеников с оценкой 1–5").arg(label);
        QList<BarChart::Bar> bars;
        for (int g = 1; g <= 5; ++g)
            bars.append(
                {QStringLiteral("%1 %2").arg(g).arg(g >= ClassReport::PassGrade ? Passed : Failed),
                 t.grades[g - 1], ReportHtml::gradeColor(g)});
        out += QStringLiteral("<div class=\"test\"><h3>%1</h3>").arg(esc(label));
        out += chart.svg(bars);
        out += QStringLiteral("<table class=\"stats\" id=\"test%1\">").arg(t.test);
        out += QStringLiteral("<tr><th>Сдали</th><td>%1 из %2 (%3 %)</td></tr>")
                   .arg(t.passed)
                   .arg(t.takers)
                   .arg(decimal(t.passShare()));
        out += QStringLiteral("<tr><th>Попыток в журнале</th><td>%1</td></tr>").arg(t.runs);
        out += QStringLiteral("<tr><th>Попыток на ученика</th><td>%1</td></tr>")
                   .arg(decimal(t.runsPerUser()));
        out += QStringLiteral("</table></div>");
    }
    out += QStringLiteral("</div>");
    return out;
}

QString dayChart(const ClassReport &report)
{
    QString out = QStringLiteral("<div class=\"keep\"><h2>Журнал по дням</h2>");
    if (report.runsPerDay.isEmpty())
        return out + QStringLiteral("<p>В журнале нет попыток с распознанной датой.</p></div>");
    const QDate first = report.runsPerDay.firstKey();
    const QDate last = report.runsPerDay.lastKey();
    const bool byDay = first.daysTo(last) < ReportHtml::MostDays;
    QList<BarChart::Bar> bars;
    QList<QDate> starts;
    if (byDay) {
        for (QDate d = first; d <= last; d = d.addDays(1))
            starts.append(d);
    } else {
        for (QDate d(first.year(), first.month(), 1); d <= last; d = d.addMonths(1))
            starts.append(d);
    }
    bars.fill({QString(), 0, ReportHtml::DayColor}, starts.size());
    for (auto it = report.runsPerDay.cbegin(); it != report.runsPerDay.cend(); ++it) {
        const qsizetype i =
            byDay ? first.daysTo(it.key())
                  : (it.key().year() - first.year()) * 12 + it.key().month() - first.month();
        bars[i].value += it.value();
    }
    const qsizetype every = std::max<qsizetype>(1, (bars.size() + 9) / 10);
    for (qsizetype i = 0; i < bars.size(); i += every)
        bars[i].label =
            starts[i].toString(byDay ? QStringLiteral("dd.MM") : QStringLiteral("MM.yy"));

    BarChart chart;
    chart.width = 700;
    chart.height = 210;
    chart.title = byDay ? QStringLiteral("Завершённые попытки по дням")
                        : QStringLiteral("Завершённые попытки по месяцам");
    int dated = 0;
    for (int runs : report.runsPerDay)
        dated += runs;
    out += QStringLiteral("<p>%1 с %2 по %3; всего %4.")
               .arg(chart.title, LogDate::show(first), LogDate::show(last))
               .arg(dated);
    if (dated < report.logRuns)
        out += QStringLiteral(" Ещё %1 — без распознанной даты.").arg(report.logRuns - dated);
    out += QStringLiteral("</p>");
    out += chart.svg(bars);
    return out + QStringLiteral("</div>");
}

QString lineRanges(const QList<qsizetype> &lines);

const QString KeyColor = QStringLiteral("#2e7d32");
const QString WrongColor = QStringLiteral("#9e9e9e");
const QString Letters = QStringLiteral("ABCDE");

QString choiceChart(const ItemAnalysis::Question &q)
{
    BarChart chart;
    chart.width = 130;
    chart.height = 70;
    chart.showValues = false;
    chart.title =
        q.key ? QStringLiteral("Вопрос %1: сколько выбрали A–E; верный ответ %2")
                    .arg(q.number)
                    .arg(Letters[q.key - 1])
              : QStringLiteral("Вопрос %1: сколько выбрали A–E; верного ответа нет").arg(q.number);
    QList<BarChart::Bar> bars;
    for (int c = 1; c <= ItemAnalysis::Choices; ++c)
        bars.append(
            {QString(Letters[c - 1]), q.choices[c - 1], c == q.key ? KeyColor : WrongColor});
    return chart.svg(bars);
}

QString itemTable(const ClassReport &report, const ItemAnalysis::Version &version)
{
    QString out =
        QStringLiteral("<h3>%1, версия %2%3 — попыток: %4</h3>")
            .arg(esc(report.testLabel(version.test)), QString::fromLatin1(version.version),
                 version.current ? QStringLiteral(" (файл теста сейчас)")
                 : version.mended ? QStringLiteral(" (вопросы файла теста, ключ "
                                                   "исправлен пересчётом)")
                                  : QString())
            .arg(version.runs);
    if (version.repeats)
        out += QStringLiteral("<p class=\"legend\">Повторных попыток тех же учеников не "
                              "учтено: %1.</p>")
                   .arg(version.repeats);
    out += QStringLiteral("<table class=\"items\" id=\"items-test%1-%2\"><thead><tr><th>№</th>"
                          "<th>Вопрос</th><th>Попыток</th><th>Решили, %</th>"
                          "<th>Различ. способность</th>")
               .arg(version.test)
               .arg(QString::fromLatin1(version.version));
    for (QChar letter : Letters)
        out += QStringLiteral("<th>%1</th>").arg(letter);
    out += QStringLiteral("<th>Выбор ответов</th><th>Замечания</th></tr></thead><tbody>");
    for (const ItemAnalysis::Question &q : version.questions) {
        out += QStringLiteral("<tr><td>%1</td>").arg(q.number);
        if (version.current || version.mended)
            out += QStringLiteral("<td class=\"text\">%1</td>").arg(esc(q.text));
        else
            out += QStringLiteral("<td class=\"other\">другая версия теста</td>");
        out += QStringLiteral("<td>%1</td><td>%2</td><td>%3</td>")
                   .arg(q.runs)
                   .arg(ItemCsv::facility(q.facility()),
                        q.discrimination ? ItemCsv::discrimination(*q.discrimination) : QString());
        for (int c = 1; c <= ItemAnalysis::Choices; ++c) {
            if (c == q.key)
                out += QStringLiteral("<td class=\"key\" title=\"верный ответ\">%1\u00A0%2</td>")
                           .arg(Passed)
                           .arg(q.choices[c - 1]);
            else
                out += QStringLiteral("<td>%1</td>").arg(q.choices[c - 1]);
        }
        out += QStringLiteral("<td class=\"pic\">%1</td><td class=\"flags\">%2</td></tr>")
                   .arg(choiceChart(q),
                        esc(ItemAnalysis::flagTexts(q.flags).join(QStringLiteral("; "))));
    }
    return out + QStringLiteral("</tbody></table>");
}

// The legend names the answer record after "По записям ответов": a
// folder's by its file, a server's by where its records are.
QString answersSource(const QString &shown)
{
    const QString records = QStringLiteral("записи ответов ");
    return shown.startsWith(records) ? shown.mid(records.size()) : shown;
}

QString itemSection(const ClassReport &report)
{
    const ItemAnalysis &items = report.items;
    QString out = QStringLiteral("<h2 id=\"items\">Анализ вопросов</h2>");
    if (items.versions.isEmpty())
        return out + QStringLiteral("<p>Записей ответов пока нет: они появляются с каждой "
                                    "завершённой попыткой.</p>");
    out +=
        QStringLiteral(
            "<p class=\"legend\">По записям ответов %1 (попыток: %2). «Решили» — доля "
            "попыток с верным ответом; «различ. способность» — корреляция ответа на вопрос "
            "с результатом той же попытки по остальным вопросам (от −1 до 1; пусто, если "
            "вопрос или остальные ответы у всех одинаковы). <span class=\"pass\">%3</span> "
            "отмечен верный ответ (ключ). «Слишком лёгкий» (решили %4 % и больше) и «слишком "
            "трудный» (%5 % и меньше) — только начиная с %6 попыток. Версия — отпечаток "
            "файла теста: после правки теста записи идут в новую версию.</p>")
            .arg(esc(answersSource(items.path)), QString::number(items.records), Passed,
                 QString::number(ItemAnalysis::EasyFrom), QString::number(ItemAnalysis::HardUpTo),
                 QString::number(ItemAnalysis::FewestRunsForEase));
    for (const ItemAnalysis::Version &version : items.versions)
        out += itemTable(report, version);
    return out;
}

QString itemFaultTitle(ItemAnalysis::Fault fault)
{
    switch (fault) {
    case ItemAnalysis::Fault::FieldCount:
        return QStringLiteral("Записи ответов не из семи полей");
    case ItemAnalysis::Fault::BadTime:
        return QStringLiteral("Записи ответов без даты и времени ГГГГ-ММ-ДД ЧЧ:ММ:СС");
    case ItemAnalysis::Fault::UnknownTest:
        return QStringLiteral("Записи ответов с тестом не из test1 … test10");
    case ItemAnalysis::Fault::BadGrade:
        return QStringLiteral("Записи ответов с оценкой не от 1 до 5");
    case ItemAnalysis::Fault::BadVersion:
        return QStringLiteral("Записи ответов с версией не из 8 шестнадцатеричных цифр");
    case ItemAnalysis::Fault::BadAnswers:
        return QStringLiteral("Записи ответов с ответами не из цифр 1–5 (верные 0–5) или "
                              "разной длины");
    case ItemAnalysis::Fault::OtherLength:
        return QStringLiteral("Записи ответов, в которых вопросов больше или меньше, чем в "
                              "других записях той же версии");
    case ItemAnalysis::Fault::OtherKey:
        return QStringLiteral("Записи ответов с верными ответами не как в других записях той "
                              "же версии");
    case ItemAnalysis::Fault::TooManyAnswers:
        return QStringLiteral("Записи ответов, в которых ответов больше, чем вопросов в тесте");
    }
    return QString();
}

QString badRecords(const ClassReport &report, ItemAnalysis::Fault fault)
{
    QList<qsizetype> numbers;
    QString samples;
    int shown = 0;
    for (const ItemAnalysis::BadRecord &record : report.items.bad) {
        if (record.fault != fault)
            continue;
        numbers.append(record.line);
        if (shown++ < SampleLines)
            samples += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                           .arg(record.line)
                           .arg(esc(record.text.left(120)));
    }
    if (numbers.isEmpty())
        return QString();
    QString out = QStringLiteral("<li><b>%1 (не учтены): %2.</b> Номера строк в %3: %4.")
                      .arg(itemFaultTitle(fault))
                      .arg(numbers.size())
                      .arg(esc(report.items.path), lineRanges(numbers));
    out += QStringLiteral("<table class=\"lines\" data-record-fault=\"%1\"><tr><th>Строка</th>"
                          "<th>Текст</th></tr>")
               .arg(int(fault)) +
           samples + QStringLiteral("</table>");
    if (numbers.size() > SampleLines)
        out += QStringLiteral("<p>Показаны первые %1 строк.</p>").arg(SampleLines);
    return out + QStringLiteral("</li>");
}

QString names(const QList<QByteArray> &list)
{
    QStringList out;
    for (const QByteArray &name : list)
        out.append(esc(name));
    return out.join(QStringLiteral(", "));
}

QString faultTitle(TestLogReader::Fault fault)
{
    switch (fault) {
    case TestLogReader::Fault::FieldCount:
        return QStringLiteral("Строки журнала не из пяти полей «имя | время | дата | тест | "
                              "оценка» (не учтены)");
    case TestLogReader::Fault::UnknownTest:
        return QStringLiteral("Строки журнала с тестом не из test1 … test10 (не учтены)");
    case TestLogReader::Fault::BadGrade:
        return QStringLiteral("Строки журнала с оценкой не от 1 до 5 (не учтены)");
    case TestLogReader::Fault::BadDate:
        return QStringLiteral("Строки журнала с нераспознанной датой (попытки учтены, но не "
                              "вошли в график по дням)");
    }
    return QString();
}

// Line numbers with runs of consecutive ones joined ("3, 7–12"), so a log
// that is garbage from some line on still gives a short list.
QString lineRanges(const QList<qsizetype> &lines)
{
    QStringList parts;
    for (qsizetype i = 0; i < lines.size();) {
        qsizetype j = i;
        while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1)
            ++j;
        parts.append(i == j ? QString::number(lines[i])
                            : QStringLiteral("%1–%2").arg(lines[i]).arg(lines[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString badLines(const ClassReport &report, TestLogReader::Fault fault)
{
    QList<qsizetype> numbers;
    QString samples;
    int shown = 0;
    for (const TestLogReader::BadLine &line : report.badLines) {
        if (line.fault != fault)
            continue;
        numbers.append(line.line);
        if (shown++ < SampleLines)
            samples += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                           .arg(line.line)
                           .arg(esc(line.text.left(120)));
    }
    if (numbers.isEmpty())
        return QString();
    QString out = QStringLiteral("<li><b>%1: %2.</b> Номера строк: %3.")
                      .arg(faultTitle(fault))
                      .arg(numbers.size())
                      .arg(lineRanges(numbers));
    out += QStringLiteral("<table class=\"lines\" data-fault=\"%1\"><tr><th>Строка</th><th>Текст"
                          "</th></tr>")
               .arg(int(fault)) +
           samples + QStringLiteral("</table>");
    if (numbers.size() > SampleLines)
        out += QStringLiteral("<p>Показаны первые %1 строк.</p>").arg(SampleLines);
    return out + QStringLiteral("</li>");
}

QString suspiciousSection(const ClassReport &report)
{
    QString out = QStringLiteral("<h2 id=\"suspicious\">%1</h2>").arg(SuspiciousRecords::Title);
    if (report.suspicious.findings.isEmpty())
        return out + QStringLiteral("<p class=\"ok\">Все записи согласуются друг с другом.</p>");
    out += QStringLiteral("<ul class=\"problems\">");
    for (const SuspiciousRecords::Finding &f : report.suspicious.findings)
        out += QStringLiteral("<li>%1</li>").arg(f.text.toHtmlEscaped());
    for (const QString &rest : report.suspicious.unlistedTexts())
        out += QStringLiteral("<li>%1</li>").arg(rest.toHtmlEscaped());
    return out + QStringLiteral("</ul>");
}

QString changesSection(const ClassReport &report)
{
    QString out = QStringLiteral("<h2 id=\"changes\">Изменения оценок</h2>");
    QString items;
    for (const GradeChange &c : report.changes.changes) {
        if (c.kind != GradeChange::Kind::Key)
            items += QStringLiteral("<li>%1 — %2</li>")
                         .arg(esc(c.user), c.text(report.testMark(c.test)).toHtmlEscaped());
    }
    if (items.isEmpty())
        return out + QStringLiteral("<p class=\"ok\">Все оценки выставлены тестами.</p>");
    return out + QStringLiteral("<ul class=\"problems\">") + items + QStringLiteral("</ul>");
}

QString problems(const ClassReport &report)
{
    QString out = QStringLiteral("<h2 id=\"problems\">Что не удалось прочитать</h2>");
    if (report.problemCount() == 0)
        return out + QStringLiteral("<p class=\"ok\">Все файлы прочитаны полностью.</p>");
    out += QStringLiteral("<ul class=\"problems\">");
    for (const QString &error : report.fileErrors)
        out += QStringLiteral("<li><b>Файл не прочитан:</b> %1</li>").arg(esc(error));
    const ClassRecords &r = report.records;
    if (!r.withoutRecord.isEmpty())
        out += QStringLiteral("<li><b>В списке users, но нет записи в users.ini: %1.</b> %2</li>")
                   .arg(r.withoutRecord.size())
                   .arg(names(r.withoutRecord));
    if (!r.unlisted.isEmpty())
        out += QStringLiteral("<li><b>Записи users.ini, которых нет в списке users: %1.</b> %2"
                              "</li>")
                   .arg(r.unlisted.size())
                   .arg(names(r.unlisted));
    if (!r.repeated.isEmpty())
        out += QStringLiteral("<li><b>Повторы в списке users (показаны один раз): %1.</b> %2"
                              "</li>")
                   .arg(r.repeated.size())
                   .arg(names(r.repeated));
    if (!r.badGrades.isEmpty()) {
        QStringList items;
        for (const ClassRecords::BadGrade &g : r.badGrades)
            items.append(QStringLiteral("%1 — test%2: %3")
                             .arg(esc(g.user), QString::number(g.test),
                                  g.missing ? QStringLiteral("нет значения")
                                            : QStringLiteral("«%1»").arg(esc(g.stored.left(40)))));
        out += QStringLiteral("<li><b>Оценки, которые не являются целым числом: %1.</b> %2</li>")
                   .arg(items.size())
                   .arg(items.join(QStringLiteral("; ")));
    }
    if (!report.gradesAboveFive.isEmpty()) {
        QStringList items;
        for (const ClassRecords::BadGrade &g : report.gradesAboveFive)
            items.append(QStringLiteral("%1 — test%2: %3")
                             .arg(esc(g.user), QString::number(g.test), esc(g.stored)));
        out += QStringLiteral("<li><b>Числа вне шкалы оценок (не учтены в графиках): %1.</b> %2"
                              "</li>")
                   .arg(items.size())
                   .arg(items.join(QStringLiteral("; ")));
    }
    for (TestLogReader::Fault fault :
         {TestLogReader::Fault::FieldCount, TestLogReader::Fault::UnknownTest,
          TestLogReader::Fault::BadGrade, TestLogReader::Fault::BadDate})
        out += badLines(report, fault);
    if (!report.strangers.isEmpty()) {
        QStringList items;
        for (const ClassReport::Stranger &s : report.strangers)
            items.append(
                QStringLiteral("%1 — попыток: %2 (первая в строке %3)")
                    .arg(esc(s.name), QString::number(s.runs), QString::number(s.firstLine)));
        out += QStringLiteral("<li><b>Попытки в журнале от имён, которых нет в списке users "
                              "(не учтены в таблице): %1.</b> %2</li>")
                   .arg(items.size())
                   .arg(items.join(QStringLiteral("; ")));
    }
    for (ItemAnalysis::Fault fault :
         {ItemAnalysis::Fault::FieldCount, ItemAnalysis::Fault::BadTime,
          ItemAnalysis::Fault::UnknownTest, ItemAnalysis::Fault::BadGrade,
          ItemAnalysis::Fault::BadVersion, ItemAnalysis::Fault::BadAnswers,
          ItemAnalysis::Fault::OtherLength, ItemAnalysis::Fault::OtherKey,
          ItemAnalysis::Fault::TooManyAnswers})
        out += badRecords(report, fault);
    if (!report.changes.badLines.isEmpty())
        out += QStringLiteral("<li><b>Нечитаемые строки изменений оценок %1: %2.</b> строки %3"
                              "</li>")
                   .arg(esc(report.changes.path))
                   .arg(report.changes.badLines.size())
                   .arg(lineRanges(report.changes.badLines));
    return out + QStringLiteral("</ul>");
}

} // namespace

QString ReportHtml::gradeColor(int grade)
{
    static const QString colors[] = {
        QStringLiteral("#c62828"), QStringLiteral("#ef6c00"), QStringLiteral("#f9a825"),
        QStringLiteral("#7cb342"), QStringLiteral("#2e7d32"),
    };
    return colors[std::clamp(grade, 1, 5) - 1];
}

QByteArray ReportHtml::write(const ClassReport &report, const QDateTime &made)
{
    const QString title = report.title.isEmpty() ? CourseInfo::Title : report.title;
    int passedAny = 0;
    for (const ClassReport::Row &row : report.rows) {
        for (const ClassReport::CourseTest &test : report.courseTests) {
            if (row.passed(test.test)) {
                ++passedAny;
                break;
            }
        }
    }

    QString out;
    out += QStringLiteral("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" "
                          "lang=\"ru\"><head><meta charset=\"utf-8\"/>");
    out += QStringLiteral("<title>%1 — отчёт по классу</title>").arg(esc(title));
    out +=
        QStringLiteral("<style>") + QLatin1String(Style) + QStringLiteral("</style></head><body>");
    out += QStringLiteral("<h1>%1</h1>").arg(esc(title));
    out += QStringLiteral("<p class=\"sub\">Отчёт по классу: оценки и журнал тестов. "
                          "Составлен %1.</p>")
               .arg(made.toString(QStringLiteral("dd.MM.yyyy HH:mm")));

    out += QStringLiteral("<div class=\"tiles\">");
    out += QStringLiteral("<div class=\"tile\">Учеников в списке<b>%1</b></div>")
               .arg(report.rows.size());
    out +=
        QStringLiteral("<div class=\"tile\">Сдали хотя бы один тест<b>%1</b></div>").arg(passedAny);
    out += QStringLiteral("<div class=\"tile\">Завершённых попыток<b>%1</b></div>")
               .arg(report.logRuns);
    if (!report.runsPerDay.isEmpty())
        out += QStringLiteral("<div class=\"tile\">Журнал<b>%1 – %2</b></div>")
                   .arg(LogDate::show(report.runsPerDay.firstKey()),
                        LogDate::show(report.runsPerDay.lastKey()));
    out += QStringLiteral("<div class=\"tile\"><a href=\"#problems\">Не прочитано</a><b>%1</b>"
                          "</div>")
               .arg(report.problemCount());
    out += QStringLiteral("</div>");

    out += classTable(report);
    out += stuckList(report);
    out += testCards(report);
    out += itemSection(report);
    out += dayChart(report);
    out += suspiciousSection(report);
    out += changesSection(report);
    out += problems(report);
    out += QStringLiteral("</body></html>\n");
    return out.toUtf8();
}
