// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class tst_Paths : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void findsOtherCase_data();
    void findsOtherCase();
    void newNameKeepsGivenSpelling_data();
    void newNameKeepsGivenSpelling();
    void absolutePathMatchedToo();
    void workingDirectoryReadAfresh();

private:
    void makeFile(const QString &relative);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

void tst_Paths::makeFile(const QString &relative)
{
    const QString full = m_dir->filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(full).path()));
    QFile f(full);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

void tst_Paths::init()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    makeFile(QStringLiteral("data/tests/test3.ini"));
    makeFile(QStringLiteral("data/prezent/1.ppsx"));
    makeFile(QStringLiteral("data/info/tumb.db"));
    makeFile(QStringLiteral("Лекции/Тема.htm"));
    makeFile(QStringLiteral("Ёлка/a.txt"));
    makeFile(QStringLiteral("both/Exact.txt"));
    makeFile(QStringLiteral("both/exact.txt"));
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void tst_Paths::cleanup()
{
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

void tst_Paths::findsOtherCase_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("found");

    QTest::newRow("test file, other case")
        << QByteArray("\\data\\tests\\Test3.ini") << QStringLiteral("data/tests/test3.ini");
    QTest::newRow("all capitals") << QByteArray("\\DATA\\TESTS\\TEST3.INI")
                                  << QStringLiteral("data/tests/test3.ini");
    QTest::newRow("plain relative name")
        << QByteArray("Data\\Prezent\\1.ppsx") << QStringLiteral("data/prezent/1.ppsx");
    QTest::newRow("settings file")
        << QByteArray("data\\info\\tumb.db") << QStringLiteral("data/info/tumb.db");
    QTest::newRow("Cyrillic folder in small letters")
        << QByteArray("\\\xEB\xE5\xEA\xF6\xE8\xE8\\\xD2\xC5\xCC\xC0.htm")
        << QStringLiteral("Лекции/Тема.htm");
    QTest::newRow("Cyrillic folder in capitals")
        << QByteArray("\\\xCB\xC5\xCA\xD6\xC8\xC8\\\xF2\xE5\xEC\xE0.HTM")
        << QStringLiteral("Лекции/Тема.htm");
    QTest::newRow("small yo for capital yo")
        << QByteArray("\\\xB8\xEB\xEA\xE0\\A.TXT") << QStringLiteral("Ёлка/a.txt");
    QTest::newRow("exact spelling wins, capital")
        << QByteArray("\\both\\Exact.txt") << QStringLiteral("both/Exact.txt");
    QTest::newRow("exact spelling wins, small")
        << QByteArray("\\both\\exact.txt") << QStringLiteral("both/exact.txt");
    QTest::newRow("dot and dot-dot") << QByteArray("\\Data\\.\\Info\\..\\Tests\\TEST3.ini")
                                     << QStringLiteral("data/tests/test3.ini");
    QTest::newRow("doubled backslash")
        << QByteArray("\\data\\\\tests\\test3.ini") << QStringLiteral("data/tests/test3.ini");
}

void tst_Paths::findsOtherCase()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, found);
    const QString expected = QDir::currentPath() + QLatin1Char('/') + found;
    const QString resolved = Paths::resolve(name);
    QCOMPARE(resolved, expected);
    QVERIFY(QFileInfo(resolved).isFile());
    QCOMPARE(Paths::resolve(CodePage::toUnicode(name)), expected);
}

void tst_Paths::newNameKeepsGivenSpelling_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("folder");

    QTest::newRow("new file in found folder")
        << QByteArray("\\DATA\\Tests\\New.ini") << QStringLiteral("data/tests/New.ini")
        << QStringLiteral("data/tests");
    QTest::newRow("new file in working directory")
        << QByteArray("\\Users.ini") << QStringLiteral("Users.ini") << QString();
    QTest::newRow("missing folder keeps its spelling and the rest")
        << QByteArray("\\Data\\NewDir\\Sub\\F.txt") << QStringLiteral("data/NewDir/Sub/F.txt")
        << QStringLiteral("data");
    QTest::newRow("Cyrillic new name in found Cyrillic folder")
        << QByteArray("\\\xCB\xC5\xCA\xD6\xC8\xC8\\\xCD\xEE\xE2\xFB\xE9.txt")
        << QStringLiteral("Лекции/Новый.txt") << QStringLiteral("Лекции");
}

void tst_Paths::newNameKeepsGivenSpelling()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, expected);
    QFETCH(QString, folder);
    const QString resolved = Paths::resolve(name);
    QCOMPARE(resolved, QDir::currentPath() + QLatin1Char('/') + expected);
    QVERIFY(!QFileInfo::exists(resolved));
    const QString existing = QDir::currentPath() + (folder.isEmpty() ? QString() : '/' + folder);
    QVERIFY(resolved.startsWith(existing + QLatin1Char('/')));
    QVERIFY(QFileInfo(existing).isDir());
}

void tst_Paths::absolutePathMatchedToo()
{
    const QString given = QDir::currentPath() + QStringLiteral("/DATA/Tests/TEST3.ini");
    QCOMPARE(Paths::resolve(given), QDir::currentPath() + QStringLiteral("/data/tests/test3.ini"));
}

void tst_Paths::workingDirectoryReadAfresh()
{
    makeFile(QStringLiteral("one/users.ini"));
    makeFile(QStringLiteral("two/USERS.INI"));
    const QString one = m_dir->filePath(QStringLiteral("one"));
    const QString two = m_dir->filePath(QStringLiteral("two"));

    QVERIFY(QDir::setCurrent(one));
    QCOMPARE(Paths::workingDirectory(), QDir::currentPath());
    const QString first = Paths::resolve(QByteArray("\\users.ini"));
    QCOMPARE(first, QDir::currentPath() + QStringLiteral("/users.ini"));

    QVERIFY(QDir::setCurrent(two));
    const QString second = Paths::resolve(QByteArray("\\users.ini"));
    QCOMPARE(second, QDir::currentPath() + QStringLiteral("/USERS.INI"));
    QVERIFY(first != second);
    QCOMPARE(QFileInfo(first).canonicalPath(), QFileInfo(one).canonicalFilePath());
    QCOMPARE(QFileInfo(second).canonicalPath(), QFileInfo(two).canonicalFilePath());
    QCOMPARE(Paths::display(second), QDir::toNativeSeparators(second));
}

QTEST_GUILESS_MAIN(tst_Paths)
#include "tst_paths.moc"
