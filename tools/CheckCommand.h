#pragma once

#include <QString>
#include <QStringList>

// check SOURCE: what a conversion of the source would carry over, lose or
// misread. Exit status 0 only when there is nothing to report.
class CheckCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
