// SPDX-License-Identifier: GPL-3.0-or-later
#include "CoursePage.h"

#include "CourseRequestFilter.h"
#include "CourseScheme.h"
#include "DeadEndPort.h"
#include "PageRule.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// How soon after the user's click or key a link counts as the user's.
constexpr qint64 UserLinkMs = 1000;

// Made before the page that uses it and handed to it as its child, so that
// it goes after the page: an off-the-record profile keeps no cache, cookies
// or storage of the course's pages on disk.
QWebEngineProfile *newProfile()
{
    auto *profile = new QWebEngineProfile;
    profile->setUrlRequestInterceptor(new CourseRequestFilter(profile));
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    profile->installUrlSchemeHandler(PageRule::Scheme, new CourseScheme(profile));
    // Where the engine's start flags came too late (another view made first),
    // a page's main frames still find no peer connection nor WebTransport.
    QWebEngineScript script;
    script.setName(QStringLiteral("course-confinement"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "(function () {"
        "  for (const name of ['RTCPeerConnection', 'webkitRTCPeerConnection',"
        "      'RTCDataChannel', 'RTCIceCandidate', 'RTCSessionDescription', 'WebTransport']) {"
        "    try { Object.defineProperty(window, name, {value: undefined, writable: false,"
        "      configurable: false}); } catch (e) {}"
        "  }"
        "})();"));
    profile->scripts()->insert(script);
    return profile;
}

} // namespace

CoursePage::CoursePage(QObject *parent) : QWebEnginePage(newProfile(), parent)
{
    profile()->setParent(this);
    m_filter = profile()->findChild<CourseRequestFilter *>();
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    confirmBrowser = [this](const QUrl &url) {
        QWidget *owner = QWebEngineView::forPage(this);
        return QMessageBox::question(owner, owner ? owner->window()->windowTitle() : QString(),
                                     PageRule::browserQuestion(url),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    openInBrowser = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    // A link meant for a new window: only one the user clicked, and only to
    // the browser; no window of the engine opens.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) {
                if (request.isUserInitiated() && PageRule::isWebAddress(request.requestedUrl()))
                    offerBrowser(request.requestedUrl());
            });
    QCoreApplication::instance()->installEventFilter(this);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
}

bool CoursePage::eventFilter(QObject *watched, QEvent *event)
{
    const bool input = event->type() == QEvent::MouseButtonRelease ||
                       (event->type() == QEvent::KeyPress &&
                        (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return ||
                         static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter ||
                         static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space));
    if (input && watched->isWidgetType()) {
        QWidget *view = QWebEngineView::forPage(this);
        auto *widget = static_cast<QWidget *>(watched);
        if (view && (widget == view || view->isAncestorOf(widget)))
            m_lastInput.start();
    }
    return QWebEnginePage::eventFilter(watched, event);
}

void CoursePage::setScripts(bool on)
{
    settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, on);
}

void CoursePage::prepareEngine()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // Peer connections reach the network without a request the filter sees,
    // in every frame and worker a script can make. UDP is off; what is left
    // over TCP (a relay over TCP, a peer's TCP candidate) must go through a
    // proxy, and the only one is a port of this process that refuses every
    // connection, the loopback included. The engine itself never needs the
    // network: pages come through the program's scheme.
    const QByteArray proxy =
        "--proxy-server=http://127.0.0.1:" + QByteArray::number(DeadEndPort::port());
    for (const QByteArray &flag :
         {QByteArray("--force-webrtc-ip-handling-policy=disable_non_proxied_udp"), proxy,
          QByteArray("--proxy-bypass-list=<-loopback>"),
          QByteArray("--disable-blink-features=WebTransport"), QByteArray("--disable-quic")}) {
        if (!flags.contains(flag))
            flags += QByteArray(flags.isEmpty() ? "" : " ") + flag;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

bool CoursePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (PageRule::allows(url))
        return true;
    if (type == NavigationTypeLinkClicked && isMainFrame && PageRule::isWebAddress(url) &&
        m_lastInput.isValid() && m_lastInput.elapsed() < UserLinkMs)
        offerBrowser(url);
    return false;
}

void CoursePage::offerBrowser(const QUrl &url)
{
    if (confirmBrowser && confirmBrowser(url) && openInBrowser)
        openInBrowser(url);
}
