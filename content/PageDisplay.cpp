#include "PageDisplay.h"

#include "Paths.h"
#include "ProgramStart.h"

#include <QFrame>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The view fills the panel inside its two-pixel bevel.
constexpr int BevelWidth = 2;

} // namespace

PageDisplay::PageDisplay(QWidget *coursePagePanel, std::function<void()> pagePanelRule)
    : m_view(new QWebEngineView(coursePagePanel)), m_pagePanelRule(std::move(pagePanelRule))
{
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    m_view->setGeometry(BevelWidth, BevelWidth, coursePagePanel->width() - 2 * BevelWidth,
                        coursePagePanel->height() - 2 * BevelWidth);
    QWebEngineSettings *settings = m_view->settings();
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
}

void PageDisplay::OpenPage(const QString &relativePath)
{
    if (m_pagePanelRule)
        m_pagePanelRule();
    LoadPage(relativePath);
}

void PageDisplay::LoadPage(const QString &relativePath)
{
    m_view->setUrl(pageUrl(relativePath));
}

void PageDisplay::StartExternal(const QString &commandLine)
{
    ProgramStart::start(commandLine);
}

QString PageDisplay::fullPagePath(const QString &relativePath)
{
    return Paths::resolve(Paths::workingDirectory() + relativePath);
}

QUrl PageDisplay::pageUrl(const QString &relativePath)
{
    return QUrl::fromLocalFile(fullPagePath(relativePath));
}
