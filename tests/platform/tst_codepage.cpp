// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"

#include <QTest>

class tst_CodePage : public QObject
{
    Q_OBJECT

private slots:
    void roundTripOfEveryByte();
    void knownLetters_data();
    void knownLetters();
    void foldByte_data();
    void foldByte();
    void foldAgreesWithUnicode();
    void foldWholeText();
    void equalsIgnoreCase_data();
    void equalsIgnoreCase();
    void unicodeEqualsIgnoreCase();
};

void tst_CodePage::roundTripOfEveryByte()
{
    QByteArray defined;
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const QString u = CodePage::toUnicode(one);
        QCOMPARE(u.size(), 1);
        if (u.at(0) == QChar::ReplacementCharacter)
            continue;
        QCOMPARE(CodePage::fromUnicode(u), one);
        defined += one;
    }
    // Every byte of the code page but one has a character.
    QVERIFY(defined.size() >= 255);
    QCOMPARE(CodePage::fromUnicode(CodePage::toUnicode(defined)), defined);
}

void tst_CodePage::knownLetters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("codePoint");
    QTest::newRow("capital A") << 0xC0 << 0x0410;
    QTest::newRow("small ya") << 0xFF << 0x044F;
    QTest::newRow("capital yo") << 0xA8 << 0x0401;
    QTest::newRow("small yo") << 0xB8 << 0x0451;
    QTest::newRow("numero sign") << 0xB9 << 0x2116;
    QTest::newRow("Latin A") << 0x41 << 0x41;
}

void tst_CodePage::knownLetters()
{
    QFETCH(int, byte);
    QFETCH(int, codePoint);
    QCOMPARE(CodePage::toUnicode(QByteArray(1, char(byte))), QString(QChar(codePoint)));
    QCOMPARE(CodePage::fromUnicode(QString(QChar(codePoint))), QByteArray(1, char(byte)));
}

void tst_CodePage::foldByte_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("folded");
    QTest::newRow("Yo") << 0xA8 << 0xB8;
    QTest::newRow("yo stays") << 0xB8 << 0xB8;
    QTest::newRow("A") << 0xC0 << 0xE0;
    QTest::newRow("a stays") << 0xE0 << 0xE0;
    QTest::newRow("I") << 0xC8 << 0xE8;
    QTest::newRow("Ya") << 0xDF << 0xFF;
    QTest::newRow("Dje") << 0x80 << 0x90;
    QTest::newRow("Ghe with upturn") << 0xA5 << 0xB4;
    QTest::newRow("Ukrainian Ie") << 0xAA << 0xBA;
    QTest::newRow("Yi") << 0xAF << 0xBF;
    QTest::newRow("Byelorussian I") << 0xB2 << 0xB3;
    QTest::newRow("Short U") << 0xA1 << 0xA2;
    QTest::newRow("Latin A") << int('A') << int('a');
    QTest::newRow("Latin Z") << int('Z') << int('z');
    QTest::newRow("Latin z stays") << int('z') << int('z');
    QTest::newRow("digit") << int('7') << int('7');
    QTest::newRow("bracket") << int('[') << int('[');
    QTest::newRow("at sign") << int('@') << int('@');
    QTest::newRow("numero sign") << 0xB9 << 0xB9;
    QTest::newRow("guillemet") << 0xAB << 0xAB;
    QTest::newRow("en dash") << 0x96 << 0x96;
    QTest::newRow("no-break space") << 0xA0 << 0xA0;
    QTest::newRow("micro sign") << 0xB5 << 0xB5;
    QTest::newRow("NUL") << 0 << 0;
}

void tst_CodePage::foldByte()
{
    QFETCH(int, byte);
    QFETCH(int, folded);
    QCOMPARE(quint8(CodePage::foldByte(char(byte))), quint8(folded));
}

void tst_CodePage::foldAgreesWithUnicode()
{
    // Every byte whose small letter the code page has folds to it; every
    // other byte stays.
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        const char f = CodePage::foldByte(c);
        QCOMPARE(CodePage::foldByte(f), f);
        const QString u = CodePage::toUnicode(QByteArray(1, c));
        const QString lower = u.toLower();
        const QByteArray back = CodePage::fromUnicode(lower);
        const bool hasSmall = u.at(0) != QChar::ReplacementCharacter && lower != u &&
                              back.size() == 1 && CodePage::toUnicode(back) == lower;
        if (hasSmall)
            QCOMPARE(CodePage::toUnicode(QByteArray(1, f)), lower);
        else
            QCOMPARE(f, c);
    }
}

void tst_CodePage::foldWholeText()
{
    const QByteArray mixed("\xC8\xE2\xE0\xED Ivanov \xA8\xCB\xCA\xC0 1-2");
    const QByteArray folded = CodePage::fold(mixed);
    QCOMPARE(folded, QByteArray("\xE8\xE2\xE0\xED ivanov \xB8\xEB\xEA\xE0 1-2"));
    QCOMPARE(CodePage::fold(QByteArray()), QByteArray());
    QCOMPARE(CodePage::toUnicode(folded), CodePage::toUnicode(mixed).toLower());
}

void tst_CodePage::equalsIgnoreCase_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    QTest::newRow("Cyrillic name")
        << QByteArray("\xC8\xE2\xE0\xED") << QByteArray("\xE8\xE2\xE0\xED") << true;
    QTest::newRow("yo") << QByteArray("\xA8") << QByteArray("\xB8") << true;
    QTest::newRow("ye is not yo") << QByteArray("\xC5") << QByteArray("\xB8") << false;
    QTest::newRow("Latin") << QByteArray("Test1") << QByteArray("tEST1") << true;
    QTest::newRow("different letter") << QByteArray("abc") << QByteArray("ABD") << false;
    QTest::newRow("different length") << QByteArray("ab") << QByteArray("abc") << false;
    QTest::newRow("Latin c is not Cyrillic es") << QByteArray("c") << QByteArray("\xF1") << false;
    QTest::newRow("empty") << QByteArray() << QByteArray() << true;
}

void tst_CodePage::equalsIgnoreCase()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, equal);
    QCOMPARE(CodePage::equalsIgnoreCase(a, b), equal);
    QCOMPARE(CodePage::equalsIgnoreCase(b, a), equal);
}

void tst_CodePage::unicodeEqualsIgnoreCase()
{
    QVERIFY(CodePage::equalsIgnoreCase(QStringLiteral("Ёлка.htm"), QStringLiteral("ёЛКА.HTM")));
    QVERIFY(!CodePage::equalsIgnoreCase(QStringLiteral("Елка"), QStringLiteral("Ёлка")));
}

QTEST_GUILESS_MAIN(tst_CodePage)
#include "tst_codepage.moc"
