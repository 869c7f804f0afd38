// SPDX-License-Identifier: GPL-3.0-or-later
#include "Look.h"

#include <QTest>

class tst_Look : public QObject
{
    Q_OBJECT

private slots:
    void contrastRatio_data();
    void contrastRatio();
    void textReadableOnItsBackground_data();
    void textReadableOnItsBackground();
    void selectionReadable();
};

void tst_Look::contrastRatio_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::newRow("equal") << QColor(0x12, 0x34, 0x56) << QColor(0x12, 0x34, 0x56) << 1.0;
    // 0.2126 for pure red: (1.05) / (0.2626).
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << 1.05 / 0.2626;
}

void tst_Look::contrastRatio()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY(qAbs(Look::contrast(a, b) - ratio) < 0.001);
}

void tst_Look::textReadableOnItsBackground_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    // The desktop's colour each stands for: the shade may differ, the hue not.
    QTest::addColumn<QColor>("desktopText");
    QTest::addColumn<QColor>("desktopBackground");

    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor red(Qt::red);
    const QColor teal(0x00, 0x80, 0x80);
    QTest::newRow("title page: red on sky blue")
        << Look::red() << Look::skyBlue() << red << Look::skyBlue();
    QTest::newRow("login: red caption on the button face")
        << Look::red() << Look::buttonFace() << red << Look::buttonFace();
    QTest::newRow("login: red caption on the panel")
        << Look::red() << Look::scrollBar() << red << Look::scrollBar();
    QTest::newRow("login: blue heading on the panel")
        << QColor(Qt::blue) << Look::scrollBar() << QColor(Qt::blue) << Look::scrollBar();
    QTest::newRow("progress: black on teal") << black << Look::teal() << black << teal;
    QTest::newRow("progress: white on teal") << white << Look::teal() << white << teal;
    QTest::newRow("test: black on sky blue")
        << black << Look::skyBlue() << black << Look::skyBlue();
    QTest::newRow("test: black on silver") << black << Look::silver() << black << Look::silver();
}

void tst_Look::textReadableOnItsBackground()
{
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    QFETCH(QColor, desktopText);
    QFETCH(QColor, desktopBackground);
    const double ratio = Look::contrast(text, background);
    QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
    QCOMPARE(text.hue(), desktopText.hue());
    QCOMPARE(background.hue(), desktopBackground.hue());
}

void tst_Look::selectionReadable()
{
    // The toolkit's own selection colour, white on a middle blue, reads at
    // less than 4.5:1.
    QPalette palette;
    palette.setColor(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    QVERIFY(Look::contrast(palette.color(QPalette::Highlight), Qt::white) < 4.5);
    const QPalette readable = Look::readable(palette);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        const QColor highlight = readable.color(group, QPalette::Highlight);
        QVERIFY(Look::contrast(highlight, readable.color(group, QPalette::HighlightedText)) >= 4.5);
        QVERIFY(qAbs(highlight.hue() - QColor(0x30, 0x8C, 0xC6).hue()) <= 2);
    }
    // A palette already readable stays as it is.
    palette.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
    QCOMPARE(Look::readable(palette).color(QPalette::Highlight), QColor(0x00, 0x00, 0x80));
}

QTEST_MAIN(tst_Look)
#include "tst_look.moc"
