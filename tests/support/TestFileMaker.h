// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Writes a scrambled test file "\data\tests\" + name + ".ini" below the
// current directory: one question per digit, the digit naming its right
// answer, question k reading "Вопрос k" and its answers "A) k" … "E) k".
class TestFileMaker
{
public:
    static void write(const QByteArray &testName, const QByteArray &rightDigits);
};
