// SPDX-License-Identifier: GPL-3.0-or-later
#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// libjpeg's default handler ends the process; a broken picture must only
// leave the picture empty.
void leaveOnError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    std::longjmp(manager->jump, 1);
}

void keepQuiet(j_common_ptr, int) {}

// Runs the whole decode inside one frame without C++ objects that need
// destruction, so the long jump out of libjpeg skips nothing.
bool decodeInto(const QByteArray &bytes, QImage &image)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leaveOnError;
    errors.base.emit_message = keepQuiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const unsigned width = info.output_width;
    unsigned char *cmykRow = nullptr;
    if (cmyk)
        cmykRow = static_cast<unsigned char *>((*info.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, width * 4));
    while (info.output_scanline < info.output_height) {
        unsigned char *line = image.scanLine(static_cast<int>(info.output_scanline));
        JSAMPROW row = cmyk ? cmykRow : line;
        jpeg_read_scanlines(&info, &row, 1);
        if (cmyk) {
            // Pictures saved by Adobe programs store the inks inverted, which
            // is what libjpeg hands over; so each ink multiplies directly.
            for (unsigned x = 0; x < width; ++x) {
                const unsigned k = cmykRow[x * 4 + 3];
                for (unsigned c = 0; c < 3; ++c)
                    line[x * 3 + c] = static_cast<unsigned char>(cmykRow[x * 4 + c] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage JpegImage::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QImage();
    QImage image;
    if (!decodeInto(bytes, image))
        return QImage();
    return image;
}

QImage JpegImage::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    return decode(file.readAll());
}
