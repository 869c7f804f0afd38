// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The pictures stored with the windows are JPEG data; they are decoded here
// through libjpeg so that no image plugin needs to be deployed beside the
// program.
class JpegImage
{
public:
    // A null image when the data is not a JPEG picture libjpeg can read.
    static QImage decode(const QByteArray &bytes);
    // Reads the file or resource (":/pictures/...") and decodes it.
    static QImage load(const QString &path);
};
