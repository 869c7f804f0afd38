// SPDX-License-Identifier: GPL-3.0-or-later
#include "ZipArchive.h"

#include "RuntimeError.h"

#include <zlib.h>

namespace {

void put16(QByteArray &out, quint16 v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(QByteArray &out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

// Raw deflate, the ZIP method 8: no zlib header or trailer.
QByteArray deflated(const QByteArray &data)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw RuntimeError(QStringLiteral("сжатие zlib не запускается"));
    QByteArray out(int(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    const qsizetype size = qsizetype(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        throw RuntimeError(QStringLiteral("сжатие zlib не завершилось"));
    out.truncate(size);
    return out;
}

} // namespace

ZipArchive::ZipArchive(const QDateTime &made)
{
    const QDate d = made.date();
    const QTime t = made.time();
    m_date = quint16(((std::max(d.year(), 1980) - 1980) << 9) | (d.month() << 5) | d.day());
    m_time = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
}

void ZipArchive::add(const QByteArray &name, const QByteArray &data, bool stored)
{
    Entry e;
    e.name = name;
    e.crc =
        quint32(crc32(0L, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    e.size = quint32(data.size());
    const QByteArray packed = stored ? data : deflated(data);
    e.packedSize = quint32(packed.size());
    e.method = stored ? 0 : 8;
    e.offset = quint32(m_data.size());
    put32(m_data, 0x04034b50);
    put16(m_data, 20);       // version needed: 2.0
    put16(m_data, 1u << 11); // names in UTF-8
    put16(m_data, e.method);
    put16(m_data, m_time);
    put16(m_data, m_date);
    put32(m_data, e.crc);
    put32(m_data, e.packedSize);
    put32(m_data, e.size);
    put16(m_data, quint16(name.size()));
    put16(m_data, 0);
    m_data += name;
    m_data += packed;
    m_entries.append(e);
}

QByteArray ZipArchive::bytes() const
{
    QByteArray out = m_data;
    const quint32 directory = quint32(out.size());
    for (const Entry &e : m_entries) {
        put32(out, 0x02014b50);
        put16(out, 0x0314); // made by: Unix, 2.0
        put16(out, 20);
        put16(out, 1u << 11);
        put16(out, e.method);
        put16(out, m_time);
        put16(out, m_date);
        put32(out, e.crc);
        put32(out, e.packedSize);
        put32(out, e.size);
        put16(out, quint16(e.name.size()));
        put16(out, 0); // extra
        put16(out, 0); // comment
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, 0100644u << 16);
        put32(out, e.offset);
        out += e.name;
    }
    const quint32 size = quint32(out.size()) - directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(m_entries.size()));
    put16(out, quint16(m_entries.size()));
    put32(out, size);
    put32(out, directory);
    put16(out, 0);
    return out;
}
