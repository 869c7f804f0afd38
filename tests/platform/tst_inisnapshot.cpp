// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniProfile.h"
#include "IniSnapshot.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Missing = QByteArrayLiteral("<missing>");

// Every section and key name the documents below spell, in several cases and
// with blanks, so that each look-up of a snapshot is also made on the file.
const QList<QByteArray> &sectionNames()
{
    static const QList<QByteArray> names = {"a",
                                            "A",
                                            " a ",
                                            "b",
                                            "B",
                                            "\xC8\xE2\xE0\xED",
                                            "\xE8\xE2\xE0\xED",
                                            "c]",
                                            "c",
                                            "open",
                                            "",
                                            "1",
                                            "2",
                                            "10",
                                            "inf",
                                            "none"};
    return names;
}

const QList<QByteArray> &keyNames()
{
    static const QList<QByteArray> names = {"k",   "K",  " k ", "q", "a1",   "ap", "vsego",
                                            "dup", "[x", "x",   "",  "long", "v",  "none"};
    return names;
}

} // namespace

class TestIniSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatTheStoreReads_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("keys before any section") << QByteArray("k=1\r\n[a]\r\nk=2\r\n");
        QTest::newRow("first of two sections counts")
            << QByteArray("[a]\r\nq=first\r\n[b]\r\nk=b\r\n[A]\r\nq=second\r\nk=only later\r\n");
        QTest::newRow("first of two keys counts") << QByteArray("[a]\r\ndup=1\r\nDUP=2\r\n");
        QTest::newRow("Cyrillic names fold") << QByteArray("[\xC8\xE2\xE0\xED]\r\nk=ivan\r\n");
        QTest::newRow("blanks around names and values")
            << QByteArray("  [  a  ]  \r\n\t k \t=  v  \r\n");
        QTest::newRow("header without closing bracket")
            << QByteArray("[open\r\nk=1\r\n[c]]\r\nk=2\r\n");
        QTest::newRow("bracket inside a line is no header")
            << QByteArray("[a]\r\nk=x [b]\r\nv=[c]\r\n[b]\r\nk=b\r\n");
        QTest::newRow("CR only") << QByteArray("[a]\rk=1\r[b]\rk=2\r");
        QTest::newRow("LF only") << QByteArray("[a]\nk=1\n[b]\nk=2");
        QTest::newRow("mixed line ends and no last line end")
            << QByteArray("[a]\r\nk=1\n[b]\rk=2\r\n[c]\nk=3");
        QTest::newRow("CR inside a value ends the line")
            << QByteArray("[a]\r\nk=ab\rv=cd\r[b]\r\nk=\r[c]\r\n");
        QTest::newRow("quotes") << QByteArray(
            "[a]\r\nk=\"  x  \"\r\nq='y'\r\nv=\"z'\r\nap=\"\"\r\n");
        QTest::newRow("comments and bare keys")
            << QByteArray("[a]\r\n;k=hidden\r\n k\r\nq\r\n=v\r\n");
        QTest::newRow("key looking like a header") << QByteArray("[a]\r\n[x=1\r\nx=2\r\n");
        QTest::newRow("value longer than a read returns")
            << QByteArray("[a]\r\nlong=" + QByteArray(3000, 'x') + "\r\nk=after\r\n");
        QTest::newRow("empty section name") << QByteArray("[]\r\nk=nameless\r\n[ ]\r\nk=blank\r\n");
        QTest::newRow("test file layout")
            << QByteArray("[1]\r\nq=\"Q\"\r\na1=\"A) x\"\r\nap=\"1\"\r\n[10]\r\nq=\"ten\"\r\n"
                          "[inf]\r\nvsego=\"10\"\r\n[2]\r\nq=\"two\"\r\n");
    }

    void readsWhatTheStoreReads()
    {
        QFETCH(QByteArray, document);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("t.ini"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(document), document.size());
        file.close();

        const IniSnapshot snapshot(document);
        const IniSnapshot loaded = IniSnapshot::load(path);
        for (const QByteArray &section : sectionNames()) {
            for (const QByteArray &key : keyNames()) {
                const QByteArray expected = IniProfile::read(path, section, key, Missing);
                const QByteArray where = "[" + section + "] " + key;
                QVERIFY2(snapshot.read(section, key, Missing) == expected, where.constData());
                QVERIFY2(loaded.read(section, key, Missing) == expected, where.constData());
            }
        }
    }

    void unreadableFileGivesTheDefault()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const IniSnapshot missing = IniSnapshot::load(dir.filePath(QStringLiteral("none.ini")));
        QCOMPARE(missing.read("a", "k", Missing), Missing);
        const IniSnapshot folder = IniSnapshot::load(dir.path());
        QCOMPARE(folder.read("a", "k", Missing), Missing);
        QCOMPARE(missing.read("a", "k", QByteArray(3000, 'd')).size(),
                 qsizetype(IniProfile::MaxValueLength));
    }
};

QTEST_GUILESS_MAIN(TestIniSnapshot)
#include "tst_inisnapshot.moc"
