// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// show FILE [--source [--cp1251]]: a test file unscrambled, questions
// 1 … vsego in the layout of a question source with the right answers
// marked. With --source the text that "convert" turns back into the same
// test, in UTF-8 as today's editors save it, or in Windows-1251.
class ShowCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
