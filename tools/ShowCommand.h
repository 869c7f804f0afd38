#pragma once

#include <QString>
#include <QStringList>

// show FILE [--source]: a test file unscrambled, questions 1 … vsego in the
// layout of a question source with the right answers marked. With --source
// the Windows-1251 text that "convert" turns back into the same test.
class ShowCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
