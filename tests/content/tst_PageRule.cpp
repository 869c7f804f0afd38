// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageRule.h"
#include "TempWorkDir.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

// What the course-page view may reach, decided without a view: the course
// folder under the program's own scheme, never a file by the engine's means.
class tst_PageRule : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void allows_data();
    void allows();
    void webAddresses_data();
    void webAddresses();
    void questionNamesTheAddress();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_outside;
};

void tst_PageRule::init()
{
    m_outside = std::make_unique<QTemporaryDir>();
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
    QVERIFY(m_dir->write(u"data/help/sod.htm"_s, "<html>"));
    QVERIFY(TempWorkDir::writeFile(m_outside->filePath(u"secret.txt"_s), "secret"));
    QVERIFY(QFile::link(m_outside->path(), m_dir->filePath(u"out"_s)));
    QVERIFY(QFile::link(m_dir->filePath(u"data/help"_s), m_dir->filePath(u"help"_s)));
}

void tst_PageRule::cleanup()
{
    m_dir.reset();
    m_outside.reset();
}

void tst_PageRule::allows_data()
{
    // "@in/" the course folder, "@out/" a folder of the user's own files.
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("page") << "@in/data/help/sod.htm" << true;
    QTest::newRow("missing page") << "@in/data/video/99.htm" << true;
    QTest::newRow("folder listing inside") << "@in/data/" << true;
    QTest::newRow("with query") << "@in/data/help/sod.htm?x=1#top" << true;
    QTest::newRow("other host") << "coursebook://other/data/help/sod.htm" << false;
    QTest::newRow("page as a file") << "@file/data/help/sod.htm" << false;
    QTest::newRow("link inside as a file") << "@file/help/sod.htm" << false;
    QTest::newRow("file outside") << "@out/secret.txt" << false;
    QTest::newRow("system file") << "file:///etc/passwd" << false;
    QTest::newRow("folder listing outside") << "file:///" << false;
    QTest::newRow("dot dot") << "@in/data/../../x" << false;
    QTest::newRow("escaped dot dot") << "@in/data/%2E%2E/%2E%2E/x" << false;
    QTest::newRow("escaped slash and dot dot") << "@in/data%2F..%2F..%2Fx" << false;
    QTest::newRow("link out as a file") << "@file/out/secret.txt" << false;
    QTest::newRow("file with a host") << "file://server/share/x.htm" << false;
    QTest::newRow("http") << "http://127.0.0.1:8080/" << false;
    QTest::newRow("https") << "https://example.org/" << false;
    QTest::newRow("websocket") << "ws://127.0.0.1:8080/" << false;
    QTest::newRow("secure websocket") << "wss://127.0.0.1/" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1/" << false;
    QTest::newRow("filesystem") << "filesystem:file:///temporary/x" << false;
    QTest::newRow("other extension") << "chrome-extension://abcdefghijklmnop/x.js" << false;
    QTest::newRow("engine pages") << "chrome://settings/" << false;
    QTest::newRow("data") << "data:text/html,<p>x" << true;
    QTest::newRow("blob") << "blob:file:///0d9b6b8e-1b2c-4d5e-8f90-123456789abc" << true;
    QTest::newRow("blank") << "about:blank" << true;
    QTest::newRow("pdf viewer") << "chrome-extension://mhjfbmdgcfjbbpaeojofohoefgiehjai/index.html"
                                << true;
    QTest::newRow("engine resources") << "chrome://resources/js/load_time_data.js" << true;
}

void tst_PageRule::allows()
{
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    if (url.startsWith(u"@in/"_s))
        url = u"coursebook://course/"_s + url.mid(4);
    else if (url.startsWith(u"@file/"_s))
        url = QUrl::fromLocalFile(m_dir->path()).toString() + u"/"_s + url.mid(6);
    else if (url.startsWith(u"@out/"_s))
        url = QUrl::fromLocalFile(m_outside->filePath(url.mid(5))).toString();
    QCOMPARE(PageRule::allows(QUrl(url)), allowed);
}

void tst_PageRule::webAddresses_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<bool>("web");
    QTest::newRow("http") << QUrl(u"http://example.org/a"_s) << true;
    QTest::newRow("https") << QUrl(u"HTTPS://example.org/"_s) << true;
    QTest::newRow("no host") << QUrl(u"http:x"_s) << false;
    QTest::newRow("file") << QUrl(u"file:///etc/passwd"_s) << false;
    QTest::newRow("websocket") << QUrl(u"ws://example.org/"_s) << false;
    QTest::newRow("javascript") << QUrl(u"javascript:alert(1)"_s) << false;
}

void tst_PageRule::webAddresses()
{
    QFETCH(QUrl, url);
    QTEST(PageRule::isWebAddress(url), "web");
}

void tst_PageRule::questionNamesTheAddress()
{
    const QString question = PageRule::browserQuestion(QUrl(u"https://example.org/lab?id=3"_s));
    QVERIFY(question.contains(u"https://example.org/lab?id=3"_s));
    QVERIFY(question.contains(u"браузере"_s));
}

QTEST_GUILESS_MAIN(tst_PageRule)
#include "tst_PageRule.moc"
