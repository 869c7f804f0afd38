// SPDX-License-Identifier: GPL-3.0-or-later
#include "CoursePage.h"
#include "CourseRequestFilter.h"
#include "LinkSwapper.h"
#include "PageDisplay.h"
#include "PageRule.h"
#include "ProgramStart.h"
#include "TempWorkDir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

void shareContexts()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
Q_CONSTRUCTOR_FUNCTION(shareContexts)

} // namespace

class tst_PageDisplay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fullPagePath_data();
    void fullPagePath();
    void driveRootGivesDoubleSeparator();
    void directoryReadAtEveryCall();
    void viewFillsPanel();
    void openAndLoad();
    void missingPageShownByView();
    void splitCommandLine_data();
    void splitCommandLine();
    void startsExistingProgram();
    void missingProgramStaysSilent();
    void hostilePageReachesNothing();
    void pageSwappedForALinkNeverShowsItsTarget();
    void courseMaterialStillShows();
    void clickedWebLinkGoesToTheBrowserOnlyIfConfirmed_data();
    void clickedWebLinkGoesToTheBrowserOnlyIfConfirmed();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_PageDisplay::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_dir->isCurrent());
}

void tst_PageDisplay::cleanup()
{
    m_dir.reset();
}

void tst_PageDisplay::fullPagePath_data()
{
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("relative");
    QTest::newRow("plain") << u"data/prak/1.htm"_s << u"\\data\\prak\\1.htm"_s;
    QTest::newRow("Cyrillic, comma, blanks")
        << u"data/info/Теория автоматов, языков и вычислений_Tarvik.pdf"_s
        << u"\\data\\info\\Теория автоматов, языков и вычислений_Tarvik.pdf"_s;
    QTest::newRow("folder in other case") << u"Data/SROP/3.htm"_s << u"\\data\\srop\\3.htm"_s;
    QTest::newRow("Cyrillic name in other case")
        << u"data/info/Теория алгаритмов и автоматов.pdf"_s
        << u"\\DATA\\INFO\\ТЕОРИЯ АЛГАРИТМОВ И АВТОМАТОВ.PDF"_s;
}

void tst_PageDisplay::fullPagePath()
{
    QFETCH(QString, onDisk);
    QFETCH(QString, relative);
    QVERIFY(m_dir->write(onDisk, "x"));
    const QString path = PageDisplay::fullPagePath(relative);
    QCOMPARE(path, QDir(m_dir->path()).filePath(onDisk));
    QVERIFY(QFile::exists(path));
    const QUrl url = PageDisplay::pageUrl(relative);
    QCOMPARE(url.scheme(), u"coursebook"_s);
    QCOMPARE(PageRule::localPath(url), path);
}

void tst_PageDisplay::driveRootGivesDoubleSeparator()
{
    // At the root the working directory ends in a separator, so the joined
    // text holds two in a row; the path still names the file below the root.
    QVERIFY(QDir::setCurrent(QDir::rootPath()));
    QCOMPARE(PageDisplay::fullPagePath(u"\\data\\prak\\1.htm"_s),
             QDir::rootPath() + u"data/prak/1.htm"_s);
}

void tst_PageDisplay::directoryReadAtEveryCall()
{
    QTemporaryDir other;
    QVERIFY(m_dir->write(u"data/help/sod.htm"_s, "a"));
    QVERIFY(TempWorkDir::writeFile(other.filePath(u"data/help/sod.htm"_s), "b"));
    QCOMPARE(PageDisplay::fullPagePath(u"\\data\\help\\sod.htm"_s),
             m_dir->filePath(u"data/help/sod.htm"_s));
    QVERIFY(QDir::setCurrent(other.path()));
    QCOMPARE(PageDisplay::fullPagePath(u"\\data\\help\\sod.htm"_s),
             other.filePath(u"data/help/sod.htm"_s));
}

void tst_PageDisplay::viewFillsPanel()
{
    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    QCOMPARE(display.view()->objectName(), u"WebBrowser1"_s);
    QCOMPARE(display.view()->parentWidget(), &panel);
    QCOMPARE(display.view()->geometry(), QRect(2, 2, 917, 733));
    QVERIFY(display.view()->settings()->testAttribute(QWebEngineSettings::PdfViewerEnabled));
    QVERIFY(display.view()->settings()->testAttribute(QWebEngineSettings::PluginsEnabled));
    QVERIFY(!display.view()->settings()->testAttribute(QWebEngineSettings::JavascriptEnabled));
}

void tst_PageDisplay::openAndLoad()
{
    QVERIFY(m_dir->write(u"data/prak/1.htm"_s, "<html><title>one</title></html>"));
    QVERIFY(m_dir->write(u"data/labs/2.htm"_s, "<html><title>two</title></html>"));
    QFrame panel;
    panel.resize(921, 737);
    int rule = 0;
    PageDisplay display(&panel, [&rule] { ++rule; });

    display.LoadPage(u"\\data\\prak\\1.htm"_s);
    QCOMPARE(rule, 0);
    QCOMPARE(display.view()->url(), PageDisplay::pageUrl(u"\\data\\prak\\1.htm"_s));

    display.OpenPage(u"\\data\\labs\\2.htm"_s);
    QCOMPARE(rule, 1);
    QCOMPARE(display.view()->url(), PageDisplay::pageUrl(u"\\data\\labs\\2.htm"_s));
    panel.show();
    QTRY_COMPARE_WITH_TIMEOUT(display.view()->title(), u"two"_s, 20000);
}

void tst_PageDisplay::missingPageShownByView()
{
    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    panel.show();
    QSignalSpy finished(display.view(), &QWebEngineView::loadFinished);
    display.OpenPage(u"\\data\\video\\99.htm"_s);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().first().toBool(), false);
    // The view's own page would be in English; the program's is in Russian.
    QTRY_COMPARE_WITH_TIMEOUT(display.view()->title(), u"Страница не найдена"_s, 20000);
    QString text;
    display.view()->page()->toPlainText([&text](const QString &t) { text = t; });
    QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), 20000);
    QVERIFY2(text.contains(u"не найден"_s) && text.contains(u"99.htm"_s), qPrintable(text));
    QCOMPARE(display.view()->url(), PageDisplay::pageUrl(u"\\data\\video\\99.htm"_s));
}

void tst_PageDisplay::splitCommandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("document");
    QTest::newRow("program 1")
        << u"C:\\Program Files (x86)\\Microsoft Office\\Office14\\POWERPNT.EXE /s "
           u"Data\\prezent\\02.pps"_s
        << u"C:\\Program Files (x86)\\Microsoft Office\\Office14\\POWERPNT.EXE"_s
        << u"Data\\prezent\\02.pps"_s;
    QTest::newRow("blanks in document") << u"/opt/show /s Data\\prezent\\a b.pps"_s
                                        << u"/opt/show"_s << u"Data\\prezent\\a b.pps"_s;
    QTest::newRow("no switch") << u"/usr/bin/true"_s << u"/usr/bin/true"_s << QString();
}

void tst_PageDisplay::splitCommandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QString, document);
    const ProgramStart::CommandLine split = ProgramStart::split(line);
    QCOMPARE(split.program, program);
    QCOMPARE(split.document, document);
    if (!document.isEmpty())
        QCOMPARE(split.arguments, QStringList({u"/s"_s, document}));
}

void tst_PageDisplay::startsExistingProgram()
{
    // A program whose path holds blanks, as the fixed command lines do; it
    // writes its arguments into a file and ends.
    const QString folder = m_dir->filePath(u"Program Files/Office"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString program = folder + u"/show.sh"_s;
    const QString out = m_dir->filePath(u"arguments.txt"_s);
    QVERIFY(TempWorkDir::writeFile(program, "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + out.toUtf8() +
                                                ".part\"\nmv \"" + out.toUtf8() + ".part\" \"" +
                                                out.toUtf8() + "\"\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    PageDisplay::StartExternal(program + u" /s Data\\prezent\\02.pps"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("/s|Data\\prezent\\02.pps|"));
}

void tst_PageDisplay::missingProgramStaysSilent()
{
    // Neither the program nor the document exists: nothing starts, nothing
    // is reported, the call returns at once.
    QElapsedTimer clock;
    clock.start();
    PageDisplay::StartExternal(
        u"C:\\Program Files\\Microsoft Office\\OFFICE11\\POWERPNT.EXE /s Data\\prezent\\333.pps"_s);
    PageDisplay::StartExternal(QString());
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

namespace {

// Listeners on the loopback that count whatever reaches them: a TCP server
// for pages, fetches and WebSockets, a UDP socket for peer connections.
struct Listeners
{
    QTcpServer tcp;
    QUdpSocket udp;
    int connections = 0;
    int datagrams = 0;

    bool listen()
    {
        QObject::connect(&tcp, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = tcp.nextPendingConnection()) {
                ++connections;
                s->deleteLater();
            }
        });
        QObject::connect(&udp, &QUdpSocket::readyRead, [this] {
            while (udp.hasPendingDatagrams()) {
                udp.receiveDatagram();
                ++datagrams;
            }
        });
        return tcp.listen(QHostAddress::LocalHost) && udp.bind(QHostAddress::LocalHost);
    }
};

QString pageText(QWebEngineView *view)
{
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString &t) {
        text = t;
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done; }, 20000))
        return QStringLiteral("<no answer from the page>");
    return text;
}

QVariant evaluate(QWebEngineView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    // In the program's own world: the pages' scripts are off.
    view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done; }, 20000))
        return QStringLiteral("<no answer from the page>");
    return result;
}

} // namespace

void tst_PageDisplay::hostilePageReachesNothing()
{
    Listeners net;
    QVERIFY(net.listen());
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray secret = "SECRET-of-the-teacher";
    QVERIFY(TempWorkDir::writeFile(home.filePath(u"secret.txt"_s), secret));
    QVERIFY(m_dir->mkpath(u"data/help"_s));
    QVERIFY(QFile::link(home.path(), m_dir->filePath(u"data/out"_s)));
    const QByteArray http = "http://127.0.0.1:" + QByteArray::number(net.tcp.serverPort());
    const QByteArray ws = "ws://127.0.0.1:" + QByteArray::number(net.tcp.serverPort());
    const QByteArray udp = QByteArray::number(net.udp.localPort());
    const QByteArray tcp = QByteArray::number(net.tcp.serverPort());
    const QByteArray outside = QUrl::fromLocalFile(home.filePath(u"secret.txt"_s)).toEncoded();
    QVERIFY(m_dir->write(u"data/help/worker.js"_s,
                         "try { new WebSocket('" + ws +
                             "/w'); } catch (e) {}\n"
                             "fetch('" +
                             http +
                             "/w').catch(() => {});\n"
                             "try { new WebTransport('https://127.0.0.1:" +
                             udp +
                             "/'); } catch (e) {}\n"
                             "if (self.RTCPeerConnection) {"
                             " const pc = new RTCPeerConnection({iceServers:"
                             " [{urls: 'turn:127.0.0.1:" +
                             tcp +
                             "?transport=tcp', username: 'u', credential: 'c'}]});"
                             " pc.createDataChannel('d');"
                             " pc.createOffer().then(o => pc.setLocalDescription(o)); }\n"));
    QVERIFY(m_dir->write(
        u"data/help/sod.htm"_s,
        "<html><head><link rel=stylesheet href='" + http +
            "/s.css'>"
            "<link rel=prefetch href='" +
            http + "/p'><link rel=dns-prefetch href='" + http +
            "'>"
            "<script src='" +
            http +
            "/x.js'></script></head><body>"
            "<img src='" +
            http + "/i.png'><iframe src='" + http +
            "/f'></iframe>"
            "<iframe src='" +
            outside + "'></iframe><a ping='" + http +
            "/ping' href='#'>a</a>"
            "<pre id=out></pre><script>\n"
            "const got = [];\n"
            "function note(what, text) { if (text && text.indexOf('SECRET') >= 0) got.push(what); "
            "}\n"
            "fetch('" +
            http +
            "/fetch?leak').catch(() => {});\n"
            "fetch('" +
            outside +
            "').then(r => r.text()).then(t => note('fetch', t)).catch(() => {});\n"
            "fetch('../out/secret.txt').then(r => r.text()).then(t => note('link', t)).catch(() => "
            "{});\n"
            "fetch('file:///etc/').then(r => r.text()).then(t => note('listing', t)).catch(() => "
            "{});\n"
            "try { const x = new XMLHttpRequest(); x.open('GET', '" +
            http +
            "/xhr'); x.send(); } catch (e) {}\n"
            "try { const x = new XMLHttpRequest(); x.open('GET', '" +
            outside +
            "', false); x.send();"
            " note('xhr', x.responseText); } catch (e) {}\n"
            "try { new WebSocket('" +
            ws +
            "/socket'); } catch (e) {}\n"
            "try { new EventSource('" +
            http +
            "/events'); } catch (e) {}\n"
            "try { navigator.sendBeacon('" +
            http +
            "/beacon', 'x'); } catch (e) {}\n"
            "try { new Worker('worker.js'); } catch (e) {}\n"
            "try { new WebTransport('https://127.0.0.1:" +
            udp +
            "/'); } catch (e) {}\n"
            "function peer(P) {\n"
            "  try {\n"
            "    const pc = new P({iceServers: [{urls: 'stun:127.0.0.1:" +
            udp +
            "'},"
            " {urls: ['turn:127.0.0.1:" +
            udp + "', 'turn:127.0.0.1:" + tcp +
            "?transport=tcp'], username: 'u', credential: 'c'}]});\n"
            "    pc.createDataChannel('d');\n"
            "    pc.createOffer().then(o => pc.setLocalDescription(o)).then(() =>\n"
            "      pc.setRemoteDescription({type: 'answer', sdp: pc.localDescription.sdp"
            ".replace(/a=setup:actpass/, 'a=setup:active')})).then(() =>\n"
            "      pc.addIceCandidate({candidate: 'candidate:1 1 udp 2122260223 127.0.0.1 " +
            udp +
            " typ host', sdpMid: '0', sdpMLineIndex: 0})).then(() =>\n"
            "      pc.addIceCandidate({candidate: 'candidate:2 1 tcp 1518280447 127.0.0.1 " +
            tcp +
            " typ host tcptype passive', sdpMid: '0', sdpMLineIndex: 0})).catch(() => {});\n"
            "  } catch (e) {}\n"
            "}\n"
            "if (window.RTCPeerConnection) peer(window.RTCPeerConnection);\n"
            "const f = document.createElement('iframe'); document.body.appendChild(f);\n"
            "if (f.contentWindow.RTCPeerConnection) peer(f.contentWindow.RTCPeerConnection);\n"
            "window.open('" +
            http +
            "/window');\n"
            "setTimeout(() => {\n"
            "  const frames = document.querySelectorAll('iframe');\n"
            "  try { note('frame', frames[1].contentDocument.body.innerText); } catch (e) {}\n"
            "  document.title = 'done ' + got.join(',');\n"
            "  location.href = '" +
            http +
            "/navigate?leak';\n"
            "}, 3000);\n"
            "</script></body></html>"));

    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    display.setScripts(true);
    auto *page = qobject_cast<CoursePage *>(display.view()->page());
    QVERIFY(page);
    QStringList refused;
    connect(page->filter(), &CourseRequestFilter::refused,
            [&refused](const QUrl &url) { refused.append(url.toString()); });
    int offered = 0;
    page->confirmBrowser = [&offered](const QUrl &) {
        ++offered;
        return true;
    };
    page->openInBrowser = [](const QUrl &) {};
    panel.show();
    display.OpenPage(u"\\data\\help\\sod.htm"_s);
    QTRY_VERIFY_WITH_TIMEOUT(display.view()->title().startsWith(u"done"_s), 30000);
    QCOMPARE(display.view()->title(), u"done"_s);
    // The last attempts (the script's navigation, late peer checks) get time.
    QTest::qWait(3000);

    QCOMPARE(net.connections, 0);
    QCOMPARE(net.datagrams, 0);
    QCOMPARE(offered, 0);
    QVERIFY(!pageText(display.view()).contains(QString::fromLatin1(secret)));
    QCOMPARE(display.view()->url(), PageDisplay::pageUrl(u"\\data\\help\\sod.htm"_s));
    // The ways out were tried and refused by the filter, not merely absent;
    // files of the disk the engine refuses a page of the scheme by itself,
    // and the link in the folder the scheme refuses as it opens it.
    for (const QByteArray &tried : {ws + "/socket", ws + "/w", http + "/fetch?leak"})
        QVERIFY2(refused.contains(QString::fromLatin1(tried)), qPrintable(refused.join(u'\n')));
}

void tst_PageDisplay::pageSwappedForALinkNeverShowsItsTarget()
{
    // A student swaps the start page for a link to the teacher's key while
    // the view loads it again and again.
    QTemporaryDir home;
    const QString key = home.filePath(u"key.txt"_s);
    QVERIFY(TempWorkDir::writeFile(key, "KEY-of-the-teacher"));
    QVERIFY(QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(m_dir->write(u"data/help/sod.htm"_s, "<html><body>page of the course</body></html>"));
    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    panel.show();
    int shown = 0;
    {
        const LinkSwapper swapper(m_dir->filePath(u"data/help/sod.htm"_s),
                                  m_dir->filePath(u"data/help/sod.real"_s), key);
        const QDeadlineTimer deadline(20000);
        for (int load = 0; load < 150 && !deadline.hasExpired(); ++load) {
            QSignalSpy finished(display.view(), &QWebEngineView::loadFinished);
            display.OpenPage(u"\\data\\help\\sod.htm"_s);
            QVERIFY(finished.wait(20000));
            const QString text = pageText(display.view());
            QVERIFY2(!text.contains(u"KEY"_s), qPrintable(u"load %1: %2"_s.arg(load).arg(text)));
            shown += text.contains(u"page of the course"_s);
        }
        QVERIFY(swapper.swaps() > 0);
    }
    QVERIFY(shown > 0);
}

void tst_PageDisplay::courseMaterialStillShows()
{
    // A page of the folder with its style, a picture in another folder and
    // a link to another page, both written in another letter case (the link
    // with backslashes), a script that does not run; then the sample
    // course's contents page and one of its PDF books.
    QVERIFY(m_dir->write(u"data/prak/style.css"_s, "h1 { color: rgb(1, 2, 3); }"));
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(m_dir->mkpath(u"data/pictures"_s));
    QVERIFY(picture.save(m_dir->filePath(u"data/pictures/p.png"_s)));
    QVERIFY(m_dir->write(u"data/prak/2.htm"_s, "<html><title>two</title></html>"));
    QVERIFY(m_dir->write(u"data/prak/1.htm"_s,
                         "<html><head><title>one</title><link rel=stylesheet href='style.css'>"
                         "</head><body><h1>x</h1><img id=p src='../Pictures/P.png'>"
                         "<script>document.title = 'ran';</script>"
                         "<a id=next href='..\\PRAK\\2.htm'>next</a></body></html>"));
    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    auto *page = qobject_cast<CoursePage *>(display.view()->page());
    QStringList refused;
    connect(page->filter(), &CourseRequestFilter::refused,
            [&refused](const QUrl &url) { refused.append(url.toString()); });
    panel.show();
    QSignalSpy finished(display.view(), &QWebEngineView::loadFinished);
    display.OpenPage(u"\\data\\prak\\1.htm"_s);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.takeFirst().first().toBool(), true);
    QCOMPARE(display.view()->title(), u"one"_s);
    QCOMPARE(evaluate(display.view(), u"getComputedStyle(document.querySelector('h1')).color"_s)
                 .toString(),
             u"rgb(1, 2, 3)"_s);
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(display.view(), u"document.getElementById('p').naturalWidth"_s).toInt(), 8, 20000);
    evaluate(display.view(), u"document.getElementById('next').click(); 1"_s);
    QTRY_COMPARE_WITH_TIMEOUT(display.view()->title(), u"two"_s, 20000);

    const QString course = QStringLiteral(COURSEBOOK_SOURCE_DIR "/course");
    QVERIFY(QDir::setCurrent(course));
    finished.clear();
    display.OpenPage(u"\\data\\help\\sod.htm"_s);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.takeFirst().first().toBool(), true);
    QVERIFY(pageText(display.view()).size() > 100);
    finished.clear();
    display.OpenPage(u"\\data\\info\\jazyki_programmirovanija_i_metody_transljacii.pdf"_s);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.takeFirst().first().toBool(), true);
    QTest::qWait(1000);
    QVERIFY2(refused.isEmpty(), qPrintable(refused.join(u'\n')));
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void tst_PageDisplay::clickedWebLinkGoesToTheBrowserOnlyIfConfirmed_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("target");
    QTest::newRow("confirmed") << true << QString();
    QTest::newRow("declined") << false << QString();
    QTest::newRow("new window, confirmed") << true << u"_blank"_s;
}

void tst_PageDisplay::clickedWebLinkGoesToTheBrowserOnlyIfConfirmed()
{
    QFETCH(bool, confirmed);
    QFETCH(QString, target);
    Listeners net;
    QVERIFY(net.listen());
    const QString address = u"http://127.0.0.1:%1/lab?id=3"_s.arg(net.tcp.serverPort());
    QVERIFY(m_dir->write(u"data/prak/1.htm"_s,
                         u"<html><title>one</title><a id=web target='%1' href='%2'>web</a></html>"_s
                             .arg(target, address)
                             .toUtf8()));
    QFrame panel;
    panel.resize(921, 737);
    PageDisplay display(&panel, {});
    auto *page = qobject_cast<CoursePage *>(display.view()->page());
    QList<QUrl> asked;
    QList<QUrl> opened;
    page->confirmBrowser = [&](const QUrl &url) {
        asked.append(url);
        return confirmed;
    };
    page->openInBrowser = [&](const QUrl &url) { opened.append(url); };
    panel.show();
    QSignalSpy finished(display.view(), &QWebEngineView::loadFinished);
    display.OpenPage(u"\\data\\prak\\1.htm"_s);
    QVERIFY(finished.wait(20000));
    // A click of the user's: the mouse on the link.
    const QVariant at =
        evaluate(display.view(), u"(function () { const r = document.getElementById('web')"
                                 ".getBoundingClientRect(); return [r.x + 2, r.y + 2]; })()"_s);
    const QPoint point(at.toList().value(0).toInt(), at.toList().value(1).toInt());
    QWidget *surface = display.view()->focusProxy() ? display.view()->focusProxy() : display.view();
    QTest::mouseClick(surface, Qt::LeftButton, {}, point);
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 20000);
    QCOMPARE(asked.first(), QUrl(address));
    QCOMPARE(opened, confirmed ? QList<QUrl>{QUrl(address)} : QList<QUrl>{});
    QTest::qWait(500);
    QCOMPARE(display.view()->title(), u"one"_s);
    QCOMPARE(net.connections, 0);
}

QTEST_MAIN(tst_PageDisplay)
#include "tst_PageDisplay.moc"
