// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Refuses every request of the course-page view that PageRule does not allow,
// whatever made it: the page, a frame, a style, a script or a worker.
class CourseRequestFilter : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

signals:
    void refused(const QUrl &url);
};
