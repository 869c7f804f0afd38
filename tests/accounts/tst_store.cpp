// SPDX-License-Identifier: GPL-3.0-or-later
#include "Store.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cryptIsItsOwnInverseForEveryByte();
    void cryptKeepsPrintableTextStorable();
    void roundTrip_data();
    void roundTrip();
    void missingEntriesReadAsMarker();
    void writeToNewUserCreatesSectionWithThatKey();
    void eraseSectionLeavesOthers();
    void writeManyMatchesSingleWrites();
    void unquotedValuesReadAsStored();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_Store::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Store::cleanup()
{
    m_dir.reset();
}

void tst_Store::cryptIsItsOwnInverseForEveryByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QByteArray once = Store::crypt(all);
    QCOMPARE(once.size(), all.size());
    QVERIFY(once != all);
    QCOMPARE(Store::crypt(once), all);
    QCOMPARE(Store::crypt(QByteArray()), QByteArray());
}

void tst_Store::cryptKeepsPrintableTextStorable()
{
    for (int b = 0x20; b < 256; ++b) {
        const char c = Store::crypt(QByteArray(1, char(b))).at(0);
        QVERIFY2(c != '\0' && c != '\r' && c != '\n', qPrintable(QString::number(b, 16)));
    }
}

void tst_Store::roundTrip_data()
{
    QTest::addColumn<QByteArray>("value");
    QByteArray printable;
    for (int b = 0x20; b < 256; ++b)
        printable.append(char(b));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("every printable byte") << printable;
    QTest::newRow("leading blanks") << QByteArray("   abc");
    QTest::newRow("trailing blanks") << QByteArray("abc   ");
    QTest::newRow("only blanks") << QByteArray("    ");
    QTest::newRow("double quotes around") << QByteArray("\"quoted\"");
    QTest::newRow("single quotes around") << QByteArray("'quoted'");
    QTest::newRow("lone quote") << QByteArray("\"");
    QTest::newRow("equals signs") << QByteArray("a=b=c");
    QTest::newRow("semicolon first") << QByteArray(";not a comment");
    QTest::newRow("bracket first") << QByteArray("[not a section]");
    QTest::newRow("cyrillic") << QByteArray("\xcf\xe0\xf0\xee\xeb\xfc \xb8\xa8");
    QTest::newRow("long") << QByteArray(2047, 'x');
}

void tst_Store::roundTrip()
{
    QFETCH(QByteArray, value);
    Store::write("user", "password", value, "\\users.ini");
    QCOMPARE(Store::read("user", "password", "\\users.ini"), value);
    // A second write replaces the value in place.
    Store::write("user", "password", value + "z", "\\users.ini");
    QCOMPARE(Store::read("user", "password", "\\users.ini"), (value + "z").left(2047));
}

void tst_Store::missingEntriesReadAsMarker()
{
    const QByteArray marker = Store::missing();
    QCOMPARE(marker.size(), 6);
    QCOMPARE(marker, QByteArray(6, marker.at(0)));
    QCOMPARE(Store::read("nobody", "password", "\\users.ini"), marker);
    Store::write("somebody", "test1", "1", "\\users.ini");
    QCOMPARE(Store::read("nobody", "password", "\\users.ini"), marker);
    QCOMPARE(Store::read("somebody", "test2", "\\users.ini"), marker);
    QCOMPARE(Store::read("somebody", "test1", "\\data\\tests\\none.ini"), marker);
}

void tst_Store::writeToNewUserCreatesSectionWithThatKey()
{
    Store::write("anna", "test3", "4", "\\users.ini");
    QCOMPARE(m_dir->read("users.ini"), "[anna]\r\ntest3=" + Store::encode("4") + "\r\n");
}

void tst_Store::eraseSectionLeavesOthers()
{
    Store::write("a", "password", "1", "\\users.ini");
    Store::write("b", "password", "2", "\\users.ini");
    Store::write("c", "password", "3", "\\users.ini");
    Store::eraseSection("B", "\\users.ini");
    QCOMPARE(Store::read("b", "password", "\\users.ini"), Store::missing());
    QCOMPARE(Store::read("a", "password", "\\users.ini"), QByteArray("1"));
    QCOMPARE(Store::read("c", "password", "\\users.ini"), QByteArray("3"));
}

void tst_Store::writeManyMatchesSingleWrites()
{
    QList<IniProfile::Entry> entries{{"u", "password", " pw "}, {"u", "test1", "1"}};
    for (int k = 2; k <= 12; ++k)
        entries.append({"u", "test" + QByteArray::number(k), "0"});
    Store::writeMany(entries, "\\one.ini");
    for (const auto &e : entries)
        Store::write(e.section, e.key, e.value, "\\many.ini");
    QCOMPARE(m_dir->read("one.ini"), m_dir->read("many.ini"));
    QCOMPARE(Store::read("U", "password", "\\one.ini"), QByteArray(" pw "));
}

void tst_Store::unquotedValuesReadAsStored()
{
    // A file written by a program that stores values without quotes.
    QFile f(m_dir->filePath("users.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[petr]\r\npassword=" + Store::crypt("secret") + "\r\n");
    f.close();
    QCOMPARE(Store::read("PETR", "password", "\\users.ini"), QByteArray("secret"));
}

QTEST_GUILESS_MAIN(tst_Store)
#include "tst_store.moc"
