// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWebEngineView;
class QWidget;

// Shows course material: pages and PDF books in the HTML view that fills the
// course-page panel, presentations in the external presentation program.
// A page that cannot be shown (missing, refused) gets the program's own page
// in Russian in its place, where the view would show its English one; a
// presentation that does not start stays silent. The view reaches the course
// folder and nothing else (CoursePage).
class PageDisplay
{
public:
    // Creates the HTML view "WebBrowser1" on the course-page panel, filling it
    // inside its bevel. pagePanelRule brings the course-page panel to the front
    // for OpenPage.
    PageDisplay(QWidget *coursePagePanel, std::function<void()> pagePanelRule);

    QWebEngineView *view() const { return m_view; }

    // Whether the pages' scripts run: off unless the course asks for them.
    void setScripts(bool on);

    // The panel rule, then LoadPage.
    void OpenPage(const QString &relativePath);
    // Sends the view to working directory + relative path; no panel changes.
    void LoadPage(const QString &relativePath);
    // Runs a presentation command line and does not wait for it.
    static void StartExternal(const QString &commandLine);

    // Working directory + relative path, joined as text at the moment of the
    // call, then found on disk without regard to letter case.
    static QString fullPagePath(const QString &relativePath);
    // The address the view is sent to: that file under the program's own
    // scheme, which reads it (CourseScheme).
    static QUrl pageUrl(const QString &relativePath);

    // The page shown in place of a local file that could not be loaded.
    static QString failurePage(const QString &localPath);

private:
    QWebEngineView *m_view;
    std::function<void()> m_pagePanelRule;
};
