#pragma once

#include <QString>
#include <QStringList>

// register NAME PASSWORD [--dir DIR]: the login panel's registration, with
// the same refusals, so a class can be registered from a list in a loop.
class RegisterCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
