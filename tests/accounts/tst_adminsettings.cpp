// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"
#include "RuntimeError.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class tst_AdminSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void parse_data();
    void parse();
    void readTakesFirstLineOnly_data();
    void readTakesFirstLineOnly();
    void writeThenRead_data();
    void writeThenRead();
    void missingFileIsFileNotFound();
    void missingFolderRefusesWriteAndKeepsNothing();
    void refusedWriteLeavesOldFile();
    void writeThroughLinks_data();
    void writeThroughLinks();

private:
    std::unique_ptr<TempWorkDir> m_dir;
    QString settingsPath() const { return m_dir->filePath("data/info/tumb.db"); }
    void writeSettings(const QByteArray &data);
};

void tst_AdminSettings::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
}

void tst_AdminSettings::cleanup()
{
    m_dir.reset();
}

void tst_AdminSettings::writeSettings(const QByteArray &data)
{
    QVERIFY(m_dir->write("data/info/tumb.db", data));
}

void tst_AdminSettings::parse_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("logName");
    QTest::newRow("three fields") << QByteArray("admin|pw|log.txt") << QByteArray("admin")
                                  << QByteArray("pw") << QByteArray("log.txt");
    QTest::newRow("more fields ignored")
        << QByteArray("a|b|c|d|e") << QByteArray("a") << QByteArray("b") << QByteArray("c");
    QTest::newRow("no separator") << QByteArray("admin") << QByteArray("admin") << QByteArray()
                                  << QByteArray();
    QTest::newRow("empty fields") << QByteArray("||") << QByteArray() << QByteArray()
                                  << QByteArray();
    QTest::newRow("empty line") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("blanks kept") << QByteArray(" a | b | c ") << QByteArray(" a ")
                                 << QByteArray(" b ") << QByteArray(" c ");
    QTest::newRow("cyrillic") << QByteArray("\xe0\xe4\xec|\xef|\xeb.txt")
                              << QByteArray("\xe0\xe4\xec") << QByteArray("\xef")
                              << QByteArray("\xeb.txt");
}

void tst_AdminSettings::parse()
{
    QFETCH(QByteArray, line);
    const AdminSettings s = AdminSettings::parse(line);
    QTEST(s.login, "login");
    QTEST(s.password, "password");
    QTEST(s.logName, "logName");
}

void tst_AdminSettings::readTakesFirstLineOnly_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("crlf") << QByteArray("a|b|c\r\nx|y|z\r\n");
    QTest::newRow("lf") << QByteArray("a|b|c\nx|y|z\n");
    QTest::newRow("cr") << QByteArray("a|b|c\rx");
    QTest::newRow("no line end") << QByteArray("a|b|c");
}

void tst_AdminSettings::readTakesFirstLineOnly()
{
    QFETCH(QByteArray, data);
    writeSettings(data);
    const AdminSettings s = AdminSettings::read();
    QCOMPARE(s.line(), QByteArray("a|b|c"));
}

// A "|" typed into a field is written as it is and becomes a separator at
// the next start. Each column holds login, password and log name.
void tst_AdminSettings::writeThenRead_data()
{
    QTest::addColumn<QByteArrayList>("typed");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("back");
    QTest::newRow("plain") << QByteArrayList{"boss", "pw", "\xee\xf2\xf7\xe5\xf2.txt"}
                           << QByteArray("boss|pw|\xee\xf2\xf7\xe5\xf2.txt\r\n")
                           << QByteArrayList{"boss", "pw", "\xee\xf2\xf7\xe5\xf2.txt"};
    QTest::newRow("in the login") << QByteArrayList{"ad|min", "secret", "log.txt"}
                                  << QByteArray("ad|min|secret|log.txt\r\n")
                                  << QByteArrayList{"ad", "min", "secret"};
    QTest::newRow("in the password")
        << QByteArrayList{"admin", "se|cr|et", "log.txt"}
        << QByteArray("admin|se|cr|et|log.txt\r\n") << QByteArrayList{"admin", "se", "cr"};
    QTest::newRow("in the file name")
        << QByteArrayList{"admin", "secret", "a|b|c"} << QByteArray("admin|secret|a|b|c\r\n")
        << QByteArrayList{"admin", "secret", "a"};
    QTest::newRow("alone") << QByteArrayList{"|", "secret", "log.txt"}
                           << QByteArray("||secret|log.txt\r\n")
                           << QByteArrayList{"", "", "secret"};
}

void tst_AdminSettings::writeThenRead()
{
    QFETCH(QByteArrayList, typed);
    QFETCH(QByteArray, line);
    QFETCH(QByteArrayList, back);
    QDir(m_dir->path()).mkpath("data/info");
    AdminSettings s;
    s.login = typed.at(0);
    s.password = typed.at(1);
    s.logName = typed.at(2);
    s.write();
    QFile f(settingsPath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), line);
    const AdminSettings read = AdminSettings::read();
    QCOMPARE(QByteArrayList({read.login, read.password, read.logName}), back);
}

void tst_AdminSettings::missingFileIsFileNotFound()
{
    QDir(m_dir->path()).mkpath("data/info");
    try {
        AdminSettings::read();
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), QStringLiteral("File not found"));
    }
}

void tst_AdminSettings::missingFolderRefusesWriteAndKeepsNothing()
{
    AdminSettings s;
    s.login = "x";
    QVERIFY_THROWS_EXCEPTION(RuntimeError, s.write());
    QVERIFY_THROWS_EXCEPTION(RuntimeError, AdminSettings::read());
    QVERIFY(!QFileInfo::exists(m_dir->filePath("data")));
}

void tst_AdminSettings::refusedWriteLeavesOldFile()
{
    // A folder where the settings file should be refuses the write, for root too.
    QDir(m_dir->path()).mkpath("data/info/tumb.db");
    AdminSettings s;
    s.login = "x";
    QVERIFY_THROWS_EXCEPTION(RuntimeError, s.write());
    QVERIFY(QFileInfo(settingsPath()).isDir());
}

void tst_AdminSettings::writeThroughLinks_data()
{
    // Where data\info\tumb.db points: "@out" a file outside the folder,
    // "@gone" nothing, else a file inside.
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("written");
    QTest::newRow("file outside") << "@out" << false;
    QTest::newRow("dangling") << "@gone" << false;
    QTest::newRow("file inside") << "data/real.db" << true;
}

void tst_AdminSettings::writeThroughLinks()
{
    QFETCH(QString, target);
    QFETCH(bool, written);
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    const QString bashrc = outside.filePath(".bashrc");
    QVERIFY(TempWorkDir::writeFile(bashrc, "export PATH\n"));
    QVERIFY(m_dir->write("data/real.db", "a|b|c\r\n"));
    QVERIFY(m_dir->mkpath("data/info"));
    const QString to = target == "@out"    ? bashrc
                       : target == "@gone" ? outside.filePath("new.db")
                                           : m_dir->filePath(target);
    QVERIFY(QFile::link(to, settingsPath()));
    AdminSettings s;
    s.login = "admin";
    s.password = "pw";
    s.logName = "log.txt";
    if (written) {
        s.write();
        QVERIFY(QFileInfo(settingsPath()).isSymLink());
        QCOMPARE(m_dir->read(target), QByteArray("admin|pw|log.txt\r\n"));
        QCOMPARE(AdminSettings::read().login, QByteArray("admin"));
    } else {
        try {
            s.write();
            QFAIL("written through a link out of the folder");
        } catch (const RuntimeError &e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(settingsPath())),
                     qPrintable(e.message()));
        }
        QCOMPARE(
            QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{".bashrc"});
        // Nor read from there.
        try {
            AdminSettings::read();
            QFAIL("read through a link out of the folder");
        } catch (const RuntimeError &e) {
            QVERIFY2(e.message().startsWith("Чтение"), qPrintable(e.message()));
        }
        QFile f(bashrc);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("export PATH\n"));
    }
}

QTEST_GUILESS_MAIN(tst_AdminSettings)
#include "tst_adminsettings.moc"
