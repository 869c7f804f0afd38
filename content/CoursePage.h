// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWebEnginePage>

#include <functional>

class CourseRequestFilter;

// The page of the course-page view, in a profile of its own that keeps
// nothing on disk and lets the view reach the course folder only, through
// the program's own scheme (PageRule, CourseScheme). Scripts in the pages
// are off unless the course turns them on; a page's script cannot take the
// view anywhere else; a web address the user clicks goes to the desktop's
// browser after a question.
class CoursePage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit CoursePage(QObject *parent);

    // Settles what the engine reads once at its start, so it must come
    // before the first view of the run: no WebRTC traffic outside a proxy
    // that refuses everything, so none at all, no WebTransport, no QUIC.
    static void prepareEngine();

    // Whether the pages' scripts run; off until a course asks for them.
    void setScripts(bool on);

    CourseRequestFilter *filter() const { return m_filter; }

    // Asked before a web address goes to the browser; the question box of
    // the view by default.
    std::function<bool(const QUrl &)> confirmBrowser;
    // Opens a web address in the desktop's browser.
    std::function<void(const QUrl &)> openInBrowser;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    void offerBrowser(const QUrl &url);

    CourseRequestFilter *m_filter = nullptr;
    // The user's last click or key in the view: the engine calls a link that
    // a script follows a clicked link too.
    QElapsedTimer m_lastInput;
};
