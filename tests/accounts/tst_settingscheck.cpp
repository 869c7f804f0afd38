// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "FolderStore.h"
#include "SettingsCheck.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

class tst_SettingsCheck : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void verdicts_data();
    void verdicts();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_SettingsCheck::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_SettingsCheck::cleanup()
{
    m_dir.reset();
}

void tst_SettingsCheck::verdicts_data()
{
    // "@up" stands for the folder above the course folder.
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<QByteArray>("logName");
    QTest::addColumn<SettingsCheck::Verdict>("verdict");
    using V = SettingsCheck::Verdict;
    QTest::newRow("fine") << QByteArray("admin") << QByteArray("log.txt") << V::Fine;
    QTest::newRow("log in a subfolder")
        << QByteArray("admin") << QByteArray("data\\info\\log.txt") << V::Fine;
    QTest::newRow("dot dot that stays")
        << QByteArray("admin") << QByteArray("data\\..\\log.txt") << V::Fine;
    QTest::newRow("empty login") << QByteArray() << QByteArray("log.txt") << V::EmptyLogin;
    QTest::newRow("empty log") << QByteArray("admin") << QByteArray() << V::EmptyLogName;
    QTest::newRow("dot dot out") << QByteArray("admin") << QByteArray("..\\log.txt")
                                 << V::LogNameOutside;
    QTest::newRow("deep dot dot out")
        << QByteArray("admin") << QByteArray("data\\..\\..\\x\\log.txt") << V::LogNameOutside;
    QTest::newRow("absolute outside")
        << QByteArray("admin") << QByteArray("@up/log.txt") << V::LogNameOutside;
    QTest::newRow("home file") << QByteArray("admin") << QByteArray("/etc/passwd")
                               << V::LogNameOutside;
    QTest::newRow("link out") << QByteArray("admin") << QByteArray("out\\log.txt")
                              << V::LogNameOutside;
    QTest::newRow("login is a user")
        << QByteArray("IVAN") << QByteArray("log.txt") << V::LoginIsUser;
}

void tst_SettingsCheck::verdicts()
{
    QFETCH(QByteArray, login);
    QFETCH(QByteArray, logName);
    QFETCH(SettingsCheck::Verdict, verdict);
    const QString up = QFileInfo(m_dir->path()).path();
    QVERIFY(QFile::link(up, m_dir->filePath("out")));
    QVERIFY(m_dir->write("users.ini", "[ivan]\r\npassword=x\r\n"));
    ClassSettings edited;
    edited.login = login;
    edited.logName = logName.replace("@up", QFile::encodeName(up));
    const FolderStore store(m_dir->path());
    QCOMPARE(SettingsCheck::check(store, edited), verdict);
    const bool refused =
        verdict != SettingsCheck::Verdict::Fine && verdict != SettingsCheck::Verdict::LoginIsUser;
    QCOMPARE(SettingsCheck::refuses(verdict), refused);
    if (verdict == SettingsCheck::Verdict::LogNameOutside) {
        const QString text = CodePage::toUnicode(SettingsCheck::text(store, verdict, edited));
        QVERIFY2(text.contains(CodePage::toUnicode(edited.logName)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("за пределами папки курса")), qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(tst_SettingsCheck)
#include "tst_settingscheck.moc"
