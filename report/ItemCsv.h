// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class ItemAnalysis;

// How each question did, as a table for spreadsheets in the form of the
// class table (UTF-8 with a byte-order mark, ";" between fields, CR LF): a
// header row, then one row per question of every test version with
// records. Facility and discrimination with a decimal comma, the way a
// Russian spreadsheet reads numbers; the key as its letter; the flags joined
// by ", ".
class ItemCsv
{
public:
    static QByteArray write(const ItemAnalysis &items);

    static QString facility(double percent);
    static QString discrimination(double r);
};
