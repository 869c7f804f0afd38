#pragma once

#include <QString>

// A password the administrator types rather than puts on the command line,
// where other users of the machine see it (ps, the shell's history). From a
// terminal it is read without echo and asked twice; from a pipe or a file it
// is the first line of standard input (UTF-8), for scripts.
class PasswordPrompt
{
public:
    // Throws RuntimeError when nothing can be read or the two typings differ.
    static QString read(const QString &prompt);
};
