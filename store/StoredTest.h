// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// One test as a store keeps it, read value by value: a test run reads each
// value at the moment it needs it, so a test corrected during the run is
// read as it then stands. A missing value reads as the store's missing-value
// text (never a usable answer or number).
class StoredTest
{
public:
    virtual ~StoredTest() = default;

    virtual QByteArray question(int k) const = 0;
    // Answer 1 … 5 (A … E) of question k, its "A)" … "E)" prefix included.
    virtual QByteArray answer(int k, int i) const = 0;
    // The right answer as stored: one digit "1" … "5" in a well-formed test.
    virtual QByteArray rightAnswer(int k) const = 0;
    // The question count as stored.
    virtual QByteArray countText() const = 0;
    // The question count; throws RuntimeError "'%s' is not a valid integer
    // value" when the stored text is no decimal integer or is missing.
    virtual int count() const = 0;
};
