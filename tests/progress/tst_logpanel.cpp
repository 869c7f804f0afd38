// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"
#include "CodePage.h"
#include "FolderStore.h"
#include "LogPanel.h"
#include "Paths.h"
#include "RuntimeError.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class tst_LogPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void memoAsLaidOut();
    void loadShowsTheFilesLines_data();
    void loadShowsTheFilesLines();
    void relativeNameFollowsWorkingDirectory();
    void reloadDiscardsEditsAndShowsNewLines();
    void unreadableFileThrowsAndKeepsTheMemo_data();
    void unreadableFileThrowsAndKeepsTheMemo();

private:
    void writeFile(const QString &name, const QByteArray &bytes);
    // The log under the name the settings of the current folder give it.
    void load(const QByteArray &logName);

    QTemporaryDir *m_dir = nullptr;
    QString m_oldDir;
    QFrame *m_panel6 = nullptr;
    LogPanel *m_view = nullptr;
};

void tst_LogPanel::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldDir = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_panel6 = new QFrame;
    m_panel6->setGeometry(1, 1, 920, 736);
    m_view = new LogPanel(m_panel6);
}

void tst_LogPanel::cleanup()
{
    delete m_view;
    delete m_panel6;
    QDir::setCurrent(m_oldDir);
    delete m_dir;
}

void tst_LogPanel::writeFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_LogPanel::load(const QByteArray &logName)
{
    QVERIFY(QDir().mkpath(QStringLiteral("data/info")));
    QFile settings(QStringLiteral("data/info/tumb.db"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("admin|secret|" + logName + "\r\n");
    settings.close();
    FolderStore store(QDir::currentPath());
    store.readSettings();
    m_view->load(store);
}

void tst_LogPanel::memoAsLaidOut()
{
    QPlainTextEdit *memo = m_view->Memo2;
    QCOMPARE(memo->objectName(), QStringLiteral("Memo2"));
    QCOMPARE(memo->parentWidget(), m_panel6);
    QCOMPARE(memo->geometry(), QRect(4, 2, 920, 730));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Memo2"));
    QVERIFY(memo->isReadOnly());
    QVERIFY(memo->tabChangesFocus());
    QVERIFY(memo->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    QCOMPARE(QAccessible::queryAccessibleInterface(memo)->text(QAccessible::Name),
             QStringLiteral("Отчет по проведению тестов"));
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->font().pixelSize(), 11);
    QVERIFY(!memo->font().bold());
}

void tst_LogPanel::loadShowsTheFilesLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    const QByteArray ivan = CodePage::fromUnicode(QStringLiteral("Иванов Пётр"));
    const QByteArray line1 = ivan + " | 10:15:02 | 03.02.2024 | test1 | 5";
    const QByteArray line2 = "admin | 9:01:00 | 04.02.2024 | test10 | 2";

    QTest::newRow("crlf lines") << (line1 + "\r\n" + line2 + "\r\n")
                                << QStringList{
                                       QStringLiteral("Иванов Пётр | 10:15:02 | 03.02.2024 | "
                                                      "test1 | 5"),
                                       CodePage::toUnicode(line2)};
    QTest::newRow("last line without break")
        << (line2 + "\r\n" + line1)
        << QStringList{CodePage::toUnicode(line2), CodePage::toUnicode(line1)};
    QTest::newRow("lone lf and cr")
        << QByteArray("a\nb\rc\r\n")
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("empty line kept")
        << QByteArray("a\r\n\r\nb\r\n")
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("empty file") << QByteArray() << QStringList{QString()};
}

void tst_LogPanel::loadShowsTheFilesLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    writeFile(QStringLiteral("log.txt"), bytes);

    load("log.txt");

    QCOMPARE(m_view->Memo2->toPlainText().split(QLatin1Char('\n')), lines);
    QCOMPARE(m_view->Memo2->document()->blockCount(), lines.size());
}

void tst_LogPanel::relativeNameFollowsWorkingDirectory()
{
    writeFile(QStringLiteral("data/info/Log.txt"), "one\r\n");
    writeFile(QStringLiteral("other/data/info/Log.txt"), "two\r\n");

    load("Data\\INFO\\log.txt");
    QCOMPARE(m_view->Memo2->toPlainText(), QStringLiteral("one"));

    QDir::setCurrent(m_dir->filePath(QStringLiteral("other")));
    load("data\\info\\Log.txt");
    QCOMPARE(m_view->Memo2->toPlainText(), QStringLiteral("two"));
}

void tst_LogPanel::reloadDiscardsEditsAndShowsNewLines()
{
    writeFile(QStringLiteral("log.txt"), "first | 5\r\n");
    load("log.txt");

    m_view->Memo2->appendPlainText(QStringLiteral("typed by hand"));
    m_view->Memo2->moveCursor(QTextCursor::Start);
    m_view->Memo2->insertPlainText(QStringLiteral("xx"));
    QVERIFY(m_view->Memo2->toPlainText().contains(QLatin1String("typed by hand")));

    QFile file(QStringLiteral("log.txt"));
    QVERIFY(file.open(QIODevice::Append));
    file.write("second | 3\r\n");
    file.close();

    load("log.txt");
    QCOMPARE(m_view->Memo2->toPlainText(), QStringLiteral("first | 5\nsecond | 3"));

    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("first | 5\r\nsecond | 3\r\n"));
}

void tst_LogPanel::unreadableFileThrowsAndKeepsTheMemo_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("loadedBefore");
    QTest::addColumn<QString>("message");

    // The name came from the settings at start-up, so the message names the
    // file, in the words the list file's failures use.
    const QString missing = QStringLiteral("No such file or directory");
    QTest::newRow("no log yet") << QByteArray("log.txt") << false << missing;
    QTest::newRow("empty name") << QByteArray() << false << missing;
    QTest::newRow("missing folder") << QByteArray("nowhere\\log.txt") << false << missing;
    QTest::newRow("folder, not file") << QByteArray("sub") << false << "Is a directory";
    QTest::newRow("after a load") << QByteArray("gone.txt") << true << missing;
    // A name out of the course folder is refused before anything is read;
    // "out" is a link to a folder of another user's files.
    const QString outside = QStringLiteral("@outside");
    QTest::newRow("absolute outside") << QByteArray("/etc/passwd") << true << outside;
    QTest::newRow("dot dot out") << QByteArray("..\\secret.txt") << false << outside;
    QTest::newRow("link out") << QByteArray("out\\secret.txt") << true << outside;
}

void tst_LogPanel::unreadableFileThrowsAndKeepsTheMemo()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, loadedBefore);
    QFETCH(QString, message);
    QDir().mkdir(QStringLiteral("sub"));
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(QFile::link(home.path(), QStringLiteral("out")));
    writeFile(home.filePath(QStringLiteral("secret.txt")), "secret line\r\n");

    QString before = QStringLiteral("Memo2");
    if (loadedBefore) {
        writeFile(QStringLiteral("old.txt"), "old line\r\n");
        load("old.txt");
        before = QStringLiteral("old line");
    }

    try {
        load(name);
        QFAIL("the load did not fail");
    } catch (const RuntimeError &error) {
        if (message == QStringLiteral("@outside"))
            QCOMPARE(error.message(), CodePage::toUnicode(AdminSettings::logNameOutsideText(name)));
        else
            QCOMPARE(
                error.message(),
                QStringLiteral("Cannot open file \"%1\". %2").arg(Paths::resolve(name), message));
    }
    QCOMPARE(m_view->Memo2->toPlainText(), before);
}

QTEST_MAIN(tst_LogPanel)
#include "tst_logpanel.moc"
