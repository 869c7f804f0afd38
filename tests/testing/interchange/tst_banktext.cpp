// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankText.h"
#include "CodePage.h"

#include <QTest>

class TestBankText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        const QString russian = QStringLiteral("Вопрос\nA) Да\nB) Нет\n");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << russian.toUtf8() << russian;
        QTest::newRow("UTF-8 with a byte-order mark")
            << "\xEF\xBB\xBF" + russian.toUtf8() << russian;
        QTest::newRow("Windows-1251") << CodePage::fromUnicode(russian) << russian;
        QTest::newRow("Windows-1251 that happens to hold a valid pair")
            << CodePage::fromUnicode(QStringLiteral("Ради")) << QStringLiteral("Ради");
        QTest::newRow("UTF-16 little-endian")
            << QByteArray("\xFF\xFE", 2) +
                   QByteArray(reinterpret_cast<const char *>(russian.utf16()), russian.size() * 2)
            << russian;
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << "a\nb\n";
        QTest::newRow("CR") << QByteArray("a\rb\r") << "a\nb\n";
        QTest::newRow("mixed, CR CR LF") << QByteArray("a\r\rb\nc\r\n") << "a\n\nb\nc\n";
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(BankText::decode(bytes), text);
    }
};

QTEST_GUILESS_MAIN(TestBankText)
#include "tst_banktext.moc"
