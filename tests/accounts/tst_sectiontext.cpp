// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "SectionText.h"

#include <QTest>

class TestSectionText : public QObject
{
    Q_OBJECT

private slots:
    void all_data();
    void all();
    void firstAndLast();
    void renamed_data();
    void renamed();
    void appended_data();
    void appended();
};

namespace {

// The spans as "name:text from header to last key line".
QStringList shown(const QByteArray &file)
{
    QStringList out;
    for (const SectionText::Span &s : SectionText::all(file))
        out.append(QString::fromLatin1(s.name + ':' + file.mid(s.begin, s.end - s.begin)));
    return out;
}

} // namespace

void TestSectionText::all_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("spans");
    QTest::newRow("CR LF, a comment and a blank line after a section")
        << QByteArray("[a]\r\nk=1\r\n; note\r\n\r\n[b]\r\nk=2\r\n")
        << QStringList{"a:[a]\r\nk=1\r\n", "b:[b]\r\nk=2\r\n"};
    QTest::newRow("a comment between keys stays inside")
        << QByteArray("[a]\nk=1\n;x\nm=2\n") << QStringList{"a:[a]\nk=1\n;x\nm=2\n"};
    QTest::newRow("lone CR, last line without an end")
        << QByteArray("[a]\rk=1\r[b]\rk=2") << QStringList{"a:[a]\rk=1\r", "b:[b]\rk=2"};
    QTest::newRow("blanks around the header and the name, the first ] ends it")
        << QByteArray(" \t[ Anna K ] x]\r\nk=1\r\n")
        << QStringList{"Anna K: \t[ Anna K ] x]\r\nk=1\r\n"};
    QTest::newRow("keys before any section, an empty section")
        << QByteArray("k=0\r\n[a]\r\n\r\n[b\r\nk=1\r\n")
        << QStringList{"a:[a]\r\n", "b:[b\r\nk=1\r\n"};
    QTest::newRow("nothing") << QByteArray() << QStringList{};
}

void TestSectionText::all()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, spans);
    QCOMPARE(shown(file), spans);
}

void TestSectionText::firstAndLast()
{
    const QByteArray anna = CodePage::fromUnicode(QStringLiteral("Анна"));
    const QByteArray file = "[" + anna + "]\r\nk=1\r\n[x]\r\n[" +
                            CodePage::fromUnicode(QStringLiteral("АННА")) + "]\r\nk=2\r\n";
    const QByteArray asked = CodePage::fromUnicode(QStringLiteral("анна"));
    QCOMPARE(file.mid(SectionText::first(file, asked).header, 5), QByteArray("k=1\r\n"));
    QCOMPARE(file.mid(SectionText::last(file, asked).header, 5), QByteArray("k=2\r\n"));
    QVERIFY(!SectionText::first(file, "ann").found());
    QVERIFY(!SectionText::last(file, "ann").found());
}

void TestSectionText::renamed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("the header's line end kept, nothing else changed")
        << QByteArray("[a]\r\nk=1\r\n [b] ;c\nk=2\n") << QByteArray("[a]\r\nk=1\r\n[Vera]\nk=2\n");
    QTest::newRow("a header on the last line")
        << QByteArray("[a]\r\n[b]") << QByteArray("[a]\r\n[Vera]");
}

void TestSectionText::renamed()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    QCOMPARE(SectionText::renamed(file, SectionText::first(file, "b"), "Vera"), expected);
}

void TestSectionText::appended_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("onto a last line without an end, in the file's line ends")
        << QByteArray("[a]\nk=1") << QByteArray("[b]\nk=2") << QByteArray("[a]\nk=1\n[b]\nk=2\n");
    QTest::newRow("CR LF where the file has them")
        << QByteArray("[a]\r\nk=1\r\n") << QByteArray("[b]\r\nk=2")
        << QByteArray("[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
    QTest::newRow("an empty file takes the section's")
        << QByteArray() << QByteArray("[b]\nk=2") << QByteArray("[b]\nk=2\n");
}

void TestSectionText::appended()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, expected);
    QCOMPARE(SectionText::appended(file, section), expected);
}

QTEST_APPLESS_MAIN(TestSectionText)
#include "tst_sectiontext.moc"
