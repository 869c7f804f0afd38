// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"
#include "MenuTree.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// The bundled sample installation holds every page its menu tree opens,
// found the way the program finds them: against the working directory,
// without regard to letter case.
class tst_SampleCourse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyPageExists_data();
    void everyPageExists();
    void someFoldersDifferInLetterCase();
    void settingsNameAnAdministrator();
    void startPageLinksOnlyWhatIsOpenBeforeLogin();

private:
    QString m_previous;
};

void tst_SampleCourse::initTestCase()
{
    m_previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral(COURSEBOOK_SOURCE_DIR "/course")));
}

void tst_SampleCourse::cleanupTestCase()
{
    QDir::setCurrent(m_previous);
}

void tst_SampleCourse::everyPageExists_data()
{
    QTest::addColumn<QString>("path");
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (entry.kind == MenuTree::Kind::Page)
            QTest::newRow(qPrintable(entry.name)) << entry.argument;
    }
}

void tst_SampleCourse::everyPageExists()
{
    QFETCH(QString, path);
    const QString local = Paths::resolve(path);
    QVERIFY2(QFileInfo(local).isFile(), qPrintable(local));
    if (!local.endsWith(QLatin1String(".pdf"))) {
        QFile page(local);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        // Windows-1251 text that says so, with CR LF line ends.
        QVERIFY(html.contains("charset=windows-1251"));
        QCOMPARE(html.count("\r\n"), html.count('\n'));
        // Shown with the pages' scripts off, as every course is by default.
        QVERIFY(!html.toLower().contains("<script") && !html.toLower().contains("javascript:"));
    }
}

void tst_SampleCourse::someFoldersDifferInLetterCase()
{
    // "\data\labs" and "\data\SROP" are spelt otherwise on disk.
    QVERIFY(!QFileInfo::exists(QStringLiteral("data/labs")));
    QVERIFY(QFileInfo(Paths::resolve(QStringLiteral("\\data\\labs"))).isDir());
    QVERIFY(!QFileInfo::exists(QStringLiteral("data/SROP")));
    QVERIFY(QFileInfo(Paths::resolve(QStringLiteral("\\data\\SROP"))).isDir());
}

void tst_SampleCourse::settingsNameAnAdministrator()
{
    const AdminSettings settings = AdminSettings::read();
    QCOMPARE(settings.login, QByteArray("admin"));
    QCOMPARE(settings.password, QByteArray("admin123"));
    QCOMPARE(settings.logName, QByteArray("testlog.txt"));
    QCOMPARE(QFileInfo(QStringLiteral("users")).size(), 0);
}

void tst_SampleCourse::startPageLinksOnlyWhatIsOpenBeforeLogin()
{
    // The pages the menus offer before login: those of groups that are shown
    // from the start, the whole way up.
    QSet<QString> open;
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        bool shown = entry.visible;
        for (const MenuTree::Entry *up = MenuTree::find(entry.parent); shown && up;
             up = MenuTree::find(up->parent))
            shown = up->visible;
        if (shown && entry.kind == MenuTree::Kind::Page)
            open.insert(QFileInfo(Paths::resolve(entry.argument)).canonicalFilePath());
    }
    QFile page(Paths::resolve(QStringLiteral("\\data\\help\\sod.htm")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    const QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
    int links = 0;
    for (const QRegularExpressionMatch &m : link.globalMatch(QString::fromLatin1(html))) {
        const QString target =
            QFileInfo(QFileInfo(page).dir().filePath(m.captured(1))).canonicalFilePath();
        QVERIFY2(open.contains(target), qPrintable(m.captured(1)));
        ++links;
    }
    QVERIFY(links > 0);
    // The locked material is still named, as text.
    QVERIFY(html.contains("\xcb\xe0\xe1\xee\xf0\xe0\xf2\xee\xf0\xed\xe0\xff"));
}

QTEST_GUILESS_MAIN(tst_SampleCourse)
#include "tst_samplecourse.moc"
