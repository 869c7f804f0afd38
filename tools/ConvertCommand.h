#pragma once

#include <QString>
#include <QStringList>

// convert SOURCE NAME [--into DIR]: the authoring window's first conversion of
// a program run, into DIR (the current directory by default) + "\" + NAME +
// ".ini".
class ConvertCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
