// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnlockTable.h"

namespace {

// Each row: the test, then a list whose first element is the list's length.
struct Row
{
    const char *test;
    QList<QByteArray> list;
};

const QList<Row> &rows()
{
    static const QList<Row> table{
        {"test1", {"3", "n2", "test2"}},   {"test2", {"3", "n3", "test3"}},
        {"test3", {"3", "n33", "test4"}},  {"test4", {"3", "n34", "test5"}},
        {"test5", {"3", "n39", "test6"}},  {"test6", {"3", "n312", "test7"}},
        {"test7", {"3", "n313", "test8"}}, {"test8", {"3", "n81", "test9"}},
        {"test9", {"3", "n4", "test10"}},
    };
    return table;
}

} // namespace

QList<QByteArray> UnlockTable::entries(const QByteArray &testName)
{
    for (const Row &row : rows()) {
        if (testName == row.test) {
            const int length = row.list.first().toInt();
            return row.list.mid(1, length - 1);
        }
    }
    return {};
}
