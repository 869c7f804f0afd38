// SPDX-License-Identifier: GPL-3.0-or-later
#include "IntegerText.h"
#include "RuntimeError.h"

#include <QTest>

class TestIntegerText : public QObject
{
    Q_OBJECT

private slots:
    void valid_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("digits") << QByteArray("10") << 10;
        QTest::newRow("leading zeros") << QByteArray("007") << 7;
        QTest::newRow("plus") << QByteArray("+3") << 3;
        QTest::newRow("minus one") << QByteArray("-1") << -1;
        QTest::newRow("minus zero") << QByteArray("-0") << 0;
        QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
        QTest::newRow("many leading zeros") << QByteArray("00000000000000000012") << 12;
    }

    void valid()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QCOMPARE(IntegerText::parse(text), value);
    }

    void invalid_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "'' is not a valid integer value";
        QTest::newRow("sign only") << QByteArray("-") << "'-' is not a valid integer value";
        QTest::newRow("hexadecimal") << QByteArray("$1F") << "'$1F' is not a valid integer value";
        QTest::newRow("C hexadecimal")
            << QByteArray("0x10") << "'0x10' is not a valid integer value";
        QTest::newRow("leading blank") << QByteArray(" 5") << "' 5' is not a valid integer value";
        QTest::newRow("trailing blank") << QByteArray("5 ") << "'5 ' is not a valid integer value";
        QTest::newRow("two signs") << QByteArray("+-5") << "'+-5' is not a valid integer value";
        QTest::newRow("decimal point") << QByteArray("1.5") << "'1.5' is not a valid integer value";
        QTest::newRow("too large")
            << QByteArray("2147483648") << "'2147483648' is not a valid integer value";
        QTest::newRow("too small")
            << QByteArray("-2147483649") << "'-2147483649' is not a valid integer value";
        QTest::newRow("far too large") << QByteArray("99999999999999999999999")
                                       << "'99999999999999999999999' is not a valid integer value";
        QTest::newRow("Cyrillic, shown as read")
            << QByteArray("\xef\xff\xf2\xfc")
            << QString::fromUtf8("'пять' is not a valid integer value");
    }

    void invalid()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        try {
            IntegerText::parse(text);
            QFAIL("no error");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), message);
        }
    }
};

QTEST_GUILESS_MAIN(TestIntegerText)
#include "tst_integertext.moc"
