#include "PageDisplay.h"
#include "ProgramStart.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
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
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), path);
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
    QCOMPARE(display.view()->url(), QUrl::fromLocalFile(m_dir->filePath(u"data/prak/1.htm"_s)));

    display.OpenPage(u"\\data\\labs\\2.htm"_s);
    QCOMPARE(rule, 1);
    QCOMPARE(display.view()->url(), QUrl::fromLocalFile(m_dir->filePath(u"data/labs/2.htm"_s)));
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
    QCOMPARE(display.view()->url(), QUrl::fromLocalFile(m_dir->filePath(u"data/video/99.htm"_s)));
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

QTEST_MAIN(tst_PageDisplay)
#include "tst_PageDisplay.moc"
