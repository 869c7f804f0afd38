// SPDX-License-Identifier: GPL-3.0-or-later
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

    // Whether standard input is a terminal a person types on.
    static bool fromTerminal();
    // One line typed on the terminal, shown as typed or, for a password,
    // not; throws RuntimeError when nothing was typed.
    static QString typedOnce(const QString &prompt, bool shown);
};
