// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassReportView.h"

#include "ItemCsv.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "ReportOds.h"
#include "ReportPdf.h"
#include "ReportRegrade.h"
#include "RuntimeError.h"
#include "TextFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QToolButton>
#include <QWebEngineView>

namespace {

// The engine takes a page handed over in memory only up to 2 MB, and the
// view reads no file outside the course folder; a larger report is saved and
// read in a browser.
constexpr qsizetype InMemoryLimit = 2000000;

// What the view's page is shown under: nothing is fetched for it, and the
// links inside the report stay on it.
const QUrl InMemoryUrl(QStringLiteral("about:blank"));

QString tooLargePage(qsizetype bytes)
{
    return QStringLiteral(
               "<!DOCTYPE html><html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Отчёт "
               "по классу</title></head><body style=\"font-family: sans-serif; margin: 40px;\">"
               "<h2>Отчёт по классу</h2><p>Отчёт слишком велик для показа здесь (%1 МБ). "
               "Сохраните его кнопкой «Сохранить отчёт…» и откройте в браузере.</p></body></html>")
        .arg(QString::number(double(bytes) / 1e6, 'f', 1));
}

struct Choice
{
    ClassReportView::Format format;
    QString filter;
    QString suffix;
};

const QList<Choice> &choices()
{
    static const QList<Choice> list{
        {ClassReportView::Format::Html, QStringLiteral("Страница HTML (*.html *.htm)"),
         QStringLiteral("html")},
        {ClassReportView::Format::Csv, QStringLiteral("Таблица класса CSV (*.csv)"),
         QStringLiteral("csv")},
        {ClassReportView::Format::ItemsCsv, QStringLiteral("Анализ вопросов CSV (*.csv)"),
         QStringLiteral("csv")},
        {ClassReportView::Format::Pdf, QStringLiteral("Документ PDF (*.pdf)"),
         QStringLiteral("pdf")},
        {ClassReportView::Format::Ods, QStringLiteral("Таблица OpenDocument (*.ods)"),
         QStringLiteral("ods")},
    };
    return list;
}

} // namespace

ClassReportView::ClassReportView(QWebEngineView *view, QWidget *coursePagePanel)
    : QObject(view), m_view(view), m_save(new QToolButton(coursePagePanel)),
      m_regrade(new ReportRegrade(coursePagePanel))
{
    m_save->setObjectName(QStringLiteral("saveReport"));
    m_save->setText(QStringLiteral("Сохранить отчёт…"));
    m_save->setAccessibleName(m_save->text());
    m_save->setFocusPolicy(Qt::StrongFocus);
    m_save->adjustSize();
    m_save->move(coursePagePanel->width() - m_save->width() - 24, 8);
    m_save->setVisible(false);
    QToolButton *regrade = m_regrade->button();
    regrade->move(m_save->x() - regrade->width() - 8, 8);
    connect(m_save, &QToolButton::clicked, this, &ClassReportView::askAndSave);
    connect(m_regrade, &ReportRegrade::regraded, this, [this] { show(m_regrade->store()); });
    connect(m_view, &QWebEngineView::urlChanged, this, [this, regrade](const QUrl &url) {
        if (url.adjusted(QUrl::RemoveFragment) != m_shown) {
            m_save->setVisible(false);
            regrade->setVisible(false);
        }
    });
}

void ClassReportView::show(ClassStore &store)
{
    m_report = ClassReport::read(store);
    m_html = ReportHtml::write(m_report, QDateTime::currentDateTime());
    m_shown = InMemoryUrl;
    m_view->setHtml(m_html.size() < InMemoryLimit ? QString::fromUtf8(m_html)
                                                  : tooLargePage(m_html.size()),
                    m_shown);
    QList<int> tests;
    QStringList captions;
    for (const ClassReport::TestSummary &t : m_report.tests) {
        if (t.test > 10)
            continue;
        tests.append(t.test);
        // As the report heads it: a numbered test as it always was offered.
        const ClassReport::CourseTest test{t.test, m_report.testLabel(t.test)};
        captions.append(test.numbered() ? QStringLiteral("Тест %1").arg(t.test) : test.label);
    }
    m_regrade->setClass(store, tests, captions);
    for (QToolButton *b : {m_save, m_regrade->button()}) {
        b->setVisible(true);
        b->raise();
    }
}

void ClassReportView::save(const QString &path, Format format) const
{
    if (const QString refused = m_report.outputRefusal(path); !refused.isEmpty())
        throw RuntimeError(refused);
    switch (format) {
    case Format::Html:
        TextFile::replace(path, m_html);
        break;
    case Format::Csv:
        TextFile::replace(path, ReportCsv::write(m_report));
        break;
    case Format::ItemsCsv:
        TextFile::replace(path, ItemCsv::write(m_report.items));
        break;
    case Format::Pdf:
        ReportPdf::print(m_html, path);
        break;
    case Format::Ods:
        TextFile::replace(path, ReportOds::write(m_report, ReportOds::Final::Mean));
        break;
    }
}

void ClassReportView::askAndSave()
{
    QStringList filters;
    for (const Choice &choice : choices())
        filters.append(choice.filter);
    QString filter = filters.first();
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("отчёт по классу.html"));
    QString path = QFileDialog::getSaveFileName(m_view->window(), QStringLiteral("Сохранить отчёт"),
                                                start, filters.join(QStringLiteral(";;")), &filter);
    if (path.isEmpty())
        return;
    const Choice &choice = choices()[std::max<qsizetype>(0, filters.indexOf(filter))];
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + choice.suffix;
    try {
        save(path, choice.format);
    } catch (const RuntimeError &e) {
        QMessageBox::warning(m_view->window(), m_view->window()->windowTitle(),
                             QStringLiteral("Отчёт не сохранён: %1").arg(e.message()));
    }
}
