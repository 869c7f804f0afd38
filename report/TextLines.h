// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The lines of a record file read whole, as the class's copies wrote them on
// either platform: CR LF, LF or a lone CR ends a line, and a last line without
// an end counts too. The views point into the bytes, so a report over a large
// log copies no line it does not keep.
class TextLines
{
public:
    // How much of a line the report keeps to show: a line of megabytes that
    // a student planted is named by its number and its start.
    static constexpr qsizetype KeptBytes = 240;
    static QByteArray kept(QByteArrayView line)
    {
        return line.first(qMin(line.size(), KeptBytes)).toByteArray();
    }

    // Calls take(line, number) with numbers from 1; returns the number of lines.
    template <typename Take> static qsizetype forEach(const QByteArray &bytes, Take take)
    {
        const char *d = bytes.constData();
        const qsizetype size = bytes.size();
        qsizetype number = 0;
        for (qsizetype start = 0; start < size;) {
            qsizetype end = start;
            while (end < size && d[end] != '\r' && d[end] != '\n')
                ++end;
            const QByteArrayView line(d + start, end - start);
            ++number;
            if (end < size && d[end] == '\r' && end + 1 < size && d[end + 1] == '\n')
                ++end;
            start = end + 1;
            take(line, number);
        }
        return number;
    }
};
