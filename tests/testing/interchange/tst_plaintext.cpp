// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainText.h"

#include <QElapsedTimer>
#include <QTest>

class TestPlainText : public QObject
{
    Q_OBJECT

private slots:
    void fromHtml_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("media");
        QTest::newRow("tags") << "<p>Что <b>такое</b> <i>IP</i>?</p>"
                              << "Что такое IP?" << false;
        QTest::newRow("line breaking tags leave a blank") << "один<br>два<br/>три<p>четыре</p>пять"
                                                          << "один два три четыре пять" << false;
        QTest::newRow("inline tags leave none") << "Wi<b>-</b>Fi"
                                                << "Wi-Fi" << false;
        QTest::newRow("named references") << "&laquo;a&raquo;&nbsp;&mdash;&amp;&lt;&gt;&quot;&apos;"
                                          << "«a» —&<>\"'" << false;
        QTest::newRow("numeric references") << "&#1105;&#x44F;&#X44f;"
                                            << "ёяя" << false;
        QTest::newRow("unknown and broken references stay") << "&bogus; &amp &#xZZ; & b"
                                                            << "&bogus; &amp &#xZZ; & b" << false;
        QTest::newRow("NUL and surrogate references stay") << "&#0;&#xD800;"
                                                           << "&#0;&#xD800;" << false;
        QTest::newRow("less-than that opens no tag") << "a < b, 2<3"
                                                     << "a < b, 2<3" << false;
        QTest::newRow("unclosed tag is text") << "a <b"
                                              << "a <b" << false;
        QTest::newRow("comments, scripts and styles dropped")
            << "a<!-- hidden -->b<script>x<1</script>c<style>p{}</style>d"
            << "abcd" << false;
        QTest::newRow("unclosed comment ends the text") << "a<!-- b"
                                                        << "a" << false;
        QTest::newRow("image") << "Схема: <img src=\"x.png\" alt=\"сеть\">"
                               << "Схема:" << true;
        QTest::newRow("video and its sources") << "<video><source src=\"a.mp4\"></video>Смотрите"
                                               << "Смотрите" << true;
        QTest::newRow("formula object") << "x<math><mi>y</mi></math>z"
                                        << "xz" << true;
        QTest::newRow("line breaks and blanks") << "  a\n\tb \r\n c  "
                                                << "a b c" << false;
        QTest::newRow("soft hyphen dropped") << "пере&shy;нос"
                                             << "перенос" << false;
    }

    void fromHtml()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QFETCH(bool, media);
        const PlainText::Reduced reduced = PlainText::fromHtml(html);
        QCOMPARE(reduced.text, text);
        QCOMPARE(reduced.droppedMedia, media);
    }

    void manyOpeningBracketsStayLinear()
    {
        const QString text = QString(2000000, QLatin1Char('<')) + QStringLiteral("a>b");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(PlainText::fromHtml(text).text, QString(1999999, QLatin1Char('<')) + u'b');
        QVERIFY(timer.elapsed() < 10000);
    }

    void joined_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "a b"
                               << "a b";
        QTest::newRow("markup stays") << "<b>a</b> &amp;"
                                      << "<b>a</b> &amp;";
        QTest::newRow("controls") << QString("a\x01\x1a"
                                             "b\x7f"
                                             "c")
                                  << "a b c";
        QTest::newRow("no-break and line separators")
            << QString::fromUtf16(u"a\u00A0\u00A0b\u2028c\u0085d") << "a b c d";
        QTest::newRow("only blanks") << " \n\t "
                                     << "";
    }

    void joined()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PlainText::joined(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestPlainText)
#include "tst_plaintext.moc"
