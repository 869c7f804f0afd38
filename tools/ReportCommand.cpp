// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportCommand.h"

#include "ClassReport.h"
#include "ClassStore.h"
#include "CommandArguments.h"
#include "Console.h"
#include "ItemCsv.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "ReportOds.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#ifdef COURSEBOOK_REPORT_PDF
#include "ReportPdf.h"
#endif

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace {

const QString DirOption = QStringLiteral("--dir");
const QString HtmlOption = QStringLiteral("--html");
const QString CsvOption = QStringLiteral("--csv");
const QString PdfOption = QStringLiteral("--pdf");
const QString ItemsCsvOption = QStringLiteral("--items-csv");
const QString OdsOption = QStringLiteral("--ods");
const QString FinalOption = QStringLiteral("--final");
const QString AllAttemptsFlag = QStringLiteral("--all-attempts");

// Output names are taken against the directory the tool was started in,
// before --dir changes it.
QString outputPath(const CommandArguments &arguments, const QString &option)
{
    const QString name = arguments.value(option);
    return name.isEmpty() ? QString() : QFileInfo(name).absoluteFilePath();
}

void save(const QString &path, const QByteArray &bytes)
{
    try {
        TextFile::replace(path, bytes);
    } catch (const RuntimeError &e) {
        throw RuntimeError(QStringLiteral("не удалось записать %1: %2")
                               .arg(QDir::toNativeSeparators(path), e.message()));
    }
}

// An output named like one of the class's own files would replace it.
void refuseClassFiles(const QStringList &outputs, const ClassReport &report)
{
    for (const QString &output : outputs) {
        if (output.isEmpty())
            continue;
        if (const QString refused = report.outputRefusal(output); !refused.isEmpty())
            throw RuntimeError(refused);
    }
}

void tellProblems(const ClassReport &report)
{
    for (const QString &error : report.fileErrors)
        Console::warning(QStringLiteral("не прочитан %1").arg(error));
    if (!report.suspicious.findings.isEmpty()) {
        Console::warning(SuspiciousRecords::Title + QLatin1Char(':'));
        for (const SuspiciousRecords::Finding &f : report.suspicious.findings)
            Console::warning(f.text);
        for (const QString &rest : report.suspicious.unlistedTexts())
            Console::warning(rest);
    }
    const qsizetype count = report.problemCount() - report.fileErrors.size();
    if (count > 0)
        Console::warning(
            QStringLiteral("не прочитано записей и строк: %1; список — в разделе «Что не "
                           "удалось прочитать» отчёта")
                .arg(count));
}

} // namespace

const char *const ReportCommand::Synopsis =
    "report [--dir DIR] [--html FILE] [--csv FILE] [--ods FILE [--final mean|lowest]] "
    "[--pdf FILE] [--items-csv FILE] [--all-attempts]";

QString ReportCommand::summary()
{
    return QStringLiteral("отчёт по классу из оценок, журнала тестов и записей ответов DIR: "
                          "таблица HTML с графиками и анализом вопросов, CSV для электронных "
                          "таблиц, таблица OpenDocument (.ods: оценки с итоговой — среднее "
                          "сданных тестов с округлением половины вверх или, --final lowest, "
                          "низшая из них; попытки; анализ вопросов), PDF формата A4, CSV "
                          "анализа вопросов (по первой попытке каждого ученика; "
                          "--all-attempts: по всем)");
}

std::unique_ptr<QCoreApplication> ReportCommand::application(int &argc, char **argv)
{
#ifdef COURSEBOOK_REPORT_PDF
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--pdf") == 0)
                return ReportPdf::application(argc, argv);
        }
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

int ReportCommand::run(const QStringList &args)
{
    const CommandArguments arguments(
        args, {DirOption, HtmlOption, CsvOption, PdfOption, ItemsCsvOption, OdsOption, FinalOption},
        {AllAttemptsFlag}, 0);
    const QString html = outputPath(arguments, HtmlOption);
    const QString csv = outputPath(arguments, CsvOption);
    const QString pdf = outputPath(arguments, PdfOption);
    const QString itemsCsv = outputPath(arguments, ItemsCsvOption);
    const QString ods = outputPath(arguments, OdsOption);
    if (html.isEmpty() && csv.isEmpty() && pdf.isEmpty() && itemsCsv.isEmpty() && ods.isEmpty())
        throw CommandArguments::UsageError(QStringLiteral(
            "нужен хотя бы один из параметров --html, --csv, --ods, --pdf, --items-csv"));
    const std::optional<ReportOds::Final> final =
        ReportOds::finalNamed(arguments.value(FinalOption, QStringLiteral("mean")));
    if (!final)
        throw CommandArguments::UsageError(
            QStringLiteral("--final: mean (среднее) или lowest (низшая оценка)"));
#ifndef COURSEBOOK_REPORT_PDF
    if (!pdf.isEmpty())
        throw RuntimeError(QStringLiteral("PDF недоступен: эта сборка без HTML-движка; "
                                          "сохраните отчёт в HTML (--html) и напечатайте его"));
#endif
    const QString dir = arguments.value(DirOption);
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);

    const ClassReport report =
        ClassReport::read(*store, arguments.has(AllAttemptsFlag) ? ItemAnalysis::Attempts::All
                                                                 : ItemAnalysis::Attempts::First);
    refuseClassFiles({csv, html, pdf, itemsCsv, ods}, report);
    const QDateTime made = QDateTime::currentDateTime();
    if (!csv.isEmpty())
        save(csv, ReportCsv::write(report));
    if (!itemsCsv.isEmpty())
        save(itemsCsv, ItemCsv::write(report.items));
    if (!ods.isEmpty())
        save(ods, ReportOds::write(report, *final, made));
    const QByteArray page =
        html.isEmpty() && pdf.isEmpty() ? QByteArray() : ReportHtml::write(report, made);
    if (!html.isEmpty())
        save(html, page);
#ifdef COURSEBOOK_REPORT_PDF
    if (!pdf.isEmpty())
        ReportPdf::print(page, pdf);
#endif

    Console::out(QStringLiteral("Отчёт по классу: учеников %1, строк журнала %2, попыток %3, "
                                "записей ответов %4.")
                     .arg(report.rows.size())
                     .arg(report.logLines)
                     .arg(report.logRuns)
                     .arg(report.items.records));
    for (const QString &path : {csv, ods, html, pdf, itemsCsv}) {
        if (!path.isEmpty())
            Console::out(QStringLiteral("Записан файл: %1").arg(QDir::toNativeSeparators(path)));
    }
    tellProblems(report);
    return 0;
}
