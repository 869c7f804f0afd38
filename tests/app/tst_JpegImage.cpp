// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegImage.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

class tst_JpegImage : public QObject
{
    Q_OBJECT

private slots:
    void storedPictures_data();
    void storedPictures();
    void notAPicture_data();
    void notAPicture();
};

void tst_JpegImage::storedPictures_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("size");
    QTest::newRow("emblem") << ":/pictures/emblem.jpg" << QSize();
    QTest::newRow("illustration") << ":/pictures/illustration.jpg" << QSize();
    QTest::newRow("about") << ":/pictures/about.jpg" << QSize(185, 177);
    QTest::newRow("author") << ":/pictures/author.jpg" << QSize(201, 193);
    QTest::newRow("settings") << ":/pictures/settings.jpg" << QSize();
}

void tst_JpegImage::storedPictures()
{
    QFETCH(QString, resource);
    QFETCH(QSize, size);
    const QImage image = JpegImage::load(resource);
    QVERIFY(!image.isNull());
    if (size.isValid())
        QCOMPARE(image.size(), size);
    // Something is drawn: not a single flat colour.
    const QRgb first = image.pixel(0, 0);
    bool varies = false;
    for (int y = 0; y < image.height() && !varies; y += 7)
        for (int x = 0; x < image.width() && !varies; x += 7)
            varies = image.pixel(x, y) != first;
    QVERIFY(varies);
}

void tst_JpegImage::notAPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("not a picture at all");
    QTest::newRow("png signature") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("jpeg start only") << QByteArray("\xff\xd8\xff\xe0\0\x10JFIF", 10);
}

void tst_JpegImage::notAPicture()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(JpegImage::decode(bytes).isNull());
    QVERIFY(JpegImage::load(QStringLiteral(":/pictures/missing.jpg")).isNull());
}

QTEST_GUILESS_MAIN(tst_JpegImage)
#include "tst_JpegImage.moc"
