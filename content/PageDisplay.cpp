// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDisplay.h"

#include "CoursePage.h"
#include "PageRule.h"
#include "Paths.h"
#include "ProgramStart.h"

#include <QFileInfo>
#include <QFrame>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The view fills the panel inside its two-pixel bevel.
constexpr int BevelWidth = 2;

// On this platform the browser engine keeps the pages from a screen reader
// unless told otherwise before its first view is made; only then does the
// accessibility tree, once a screen reader asks for it, hold the pages.
QWebEngineView *readableView(QWidget *parent)
{
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    return new QWebEngineView(parent);
}

} // namespace

PageDisplay::PageDisplay(QWidget *coursePagePanel, std::function<void()> pagePanelRule)
    : m_view((CoursePage::prepareEngine(), readableView(coursePagePanel))),
      m_pagePanelRule(std::move(pagePanelRule))
{
    m_view->setPage(new CoursePage(m_view));
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
    m_view->setGeometry(BevelWidth, BevelWidth, coursePagePanel->width() - 2 * BevelWidth,
                        coursePagePanel->height() - 2 * BevelWidth);
    QWebEngineView *view = m_view;
    QObject::connect(view->page(), &QWebEnginePage::loadingChanged, view,
                     [view](const QWebEngineLoadingInfo &info) {
                         const QString path = PageRule::localPath(info.url());
                         if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                             !path.isEmpty())
                             view->setHtml(failurePage(path), info.url());
                     });
}

void PageDisplay::setScripts(bool on)
{
    static_cast<CoursePage *>(m_view->page())->setScripts(on);
}

QString PageDisplay::failurePage(const QString &localPath)
{
    const bool missing = !QFileInfo::exists(localPath) && !QFileInfo(localPath).isSymLink();
    const QString title =
        missing ? QStringLiteral("Страница не найдена") : QStringLiteral("Страница не открывается");
    const QString reason =
        missing ? QStringLiteral("Файл %1 не найден. Возможно, он удалён или переименован.")
                : QStringLiteral("Файл %1 нельзя открыть: к нему нет доступа или это не "
                                 "страница.");
    return QStringLiteral("<!DOCTYPE html><html lang=\"ru\"><head><meta charset=\"utf-8\">"
                          "<title>%1</title></head><body style=\"font-family: sans-serif; "
                          "margin: 40px;\"><h2>%1</h2><p>%2</p></body></html>")
        .arg(title, reason.arg(localPath.toHtmlEscaped()));
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
    return PageRule::pageUrl(fullPagePath(relativePath));
}
