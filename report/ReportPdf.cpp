// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPdf.h"

#include "ProgramStart.h"
#include "RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {

// Loading and printing a class of thousands of rows takes seconds, not minutes.
constexpr int Patience = 120000;

// Runs the event loop until done() says so or the patience runs out.
template <typename Done> bool waitFor(Done done)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(Patience);
    while (!done() && timer.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace

std::unique_ptr<QCoreApplication> ReportPdf::application(int &argc, char **argv)
{
    if (ProgramStart::runsAsSuperuser() &&
        qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's start-up dump of its graphics settings says nothing to
    // someone printing a report.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return std::make_unique<QApplication>(argc, argv);
}

void ReportPdf::print(const QByteArray &html, const QString &path)
{
    QTemporaryDir folder;
    const QString page = folder.filePath(QStringLiteral("report.html"));
    QFile file(page);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(html) != html.size())
        throw RuntimeError(QStringLiteral("не удалось подготовить страницу для печати во "
                                          "временной папке"));
    file.close();

    // Off the record: nothing of the engine's cache is left behind.
    QWebEngineProfile profile;
    auto view = std::make_unique<QWebEnginePage>(&profile);
    bool loaded = false;
    bool loadedOk = false;
    QObject::connect(view.get(), &QWebEnginePage::loadFinished, [&](bool ok) {
        loaded = true;
        loadedOk = ok;
    });
    view->load(QUrl::fromLocalFile(page));
    if (!waitFor([&] { return loaded; }) || !loadedOk)
        throw RuntimeError(QStringLiteral("HTML-движок не загрузил страницу отчёта"));

    bool printed = false;
    bool printedOk = false;
    QObject::connect(view.get(), &QWebEnginePage::pdfPrintingFinished,
                     [&](const QString &, bool ok) {
                         printed = true;
                         printedOk = ok;
                     });
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                         QPageLayout::Millimeter);
    view->printToPdf(QDir::toNativeSeparators(path), a4);
    if (!waitFor([&] { return printed; }) || !printedOk)
        throw RuntimeError(
            QStringLiteral("не удалось записать PDF %1").arg(QDir::toNativeSeparators(path)));
    // The engine keeps what it writes to its owner; the report is for sharing
    // like the HTML and CSV beside it.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
}
