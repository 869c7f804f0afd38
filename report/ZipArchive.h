// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

// A ZIP archive built in memory, as an OpenDocument file's container needs
// it: entries in the order added, each stored or deflated by zlib, with its
// CRC-32, then the central directory. Names are UTF-8.
class ZipArchive
{
public:
    explicit ZipArchive(const QDateTime &made = QDateTime::currentDateTime());

    // stored: kept as it is (an OpenDocument file's "mimetype" must be).
    void add(const QByteArray &name, const QByteArray &data, bool stored = false);

    // The whole archive.
    QByteArray bytes() const;

private:
    struct Entry
    {
        QByteArray name;
        quint32 crc = 0;
        quint32 size = 0;
        quint32 packedSize = 0;
        quint16 method = 0;
        quint32 offset = 0;
    };
    QList<Entry> m_entries;
    QByteArray m_data;
    quint16 m_time = 0;
    quint16 m_date = 0;
};
