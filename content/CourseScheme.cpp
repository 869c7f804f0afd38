// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseScheme.h"

#include "FolderBounds.h"
#include "PageRule.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <cerrno>
#include <unistd.h>

namespace {

// Before main, so that whatever program shows the course pages has the
// scheme before its application object exists, as the engine requires.
void registerAtStart()
{
    CourseScheme::registerScheme();
}
Q_CONSTRUCTOR_FUNCTION(registerAtStart)

} // namespace

void CourseScheme::registerScheme()
{
    if (QWebEngineUrlScheme::schemeByName(PageRule::Scheme).name() == PageRule::Scheme)
        return;
    QWebEngineUrlScheme scheme(PageRule::Scheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void CourseScheme::requestStarted(QWebEngineUrlRequestJob *job)
{
    if (job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = PageRule::localPath(job->requestUrl());
    if (path.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const int fd = FolderBounds::openFile(path);
    if (fd < 0) {
        job->fail(errno == ENOENT ? QWebEngineUrlRequestJob::UrlNotFound
                                  : QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    auto *file = new QFile(job);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QFileInfo(path).fileName(), QMimeDatabase::MatchExtension);
    job->reply(type.name().toLatin1(), file);
}
