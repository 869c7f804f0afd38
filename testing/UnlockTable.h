// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// Which menu entries a passed test makes available: the next lecture topic and
// the next test. test10 and any other name have no row.
class UnlockTable
{
public:
    // The menu entry names of the test's row, in lower case as stored; empty
    // for a name without a row.
    static QList<QByteArray> entries(const QByteArray &testName);
};
