// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEngineUrlSchemeHandler>

// Serves the course folder to the course-page view under the program's own
// scheme (PageRule::Scheme): every page, picture, style and document is
// opened by the program without following a link at any step of its path
// (FolderBounds::openFile) and read from what was opened, so a name swapped
// for a link after any look is never read through. The scheme is made known
// to the engine before the application starts, by this unit itself.
class CourseScheme : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    // Tells the engine how the scheme behaves: addresses with a host and a
    // path, so relative links resolve; treated as secure, one origin per
    // course, reachable by the page's own requests. Must come before the
    // application object; done at the program's start.
    static void registerScheme();

    void requestStarted(QWebEngineUrlRequestJob *job) override;
};
