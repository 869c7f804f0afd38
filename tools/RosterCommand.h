// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

// register --roster FILE --sheet HTML [--pdf PDF] [--columns LIST] [--preview]: a whole class
// registered from a list, every line checked before anything is written, and
// a printable sheet of names and initial passwords written where the teacher
// says, never into the class folder.
class RosterCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    // Whether the arguments after "register" ask for a roster.
    static bool wanted(const QStringList &args);
    static int run(const QStringList &args);
    // The application a PDF sheet needs, or none when it is not asked for.
    static std::unique_ptr<QCoreApplication> application(int &argc, char **argv);
};
