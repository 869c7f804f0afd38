// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The stand-in for starting a program from a fixed Windows command line of
// the form "absolute program path /s document". The program path holds blanks
// and is not quoted, so the line is split at " /s ". When the named program
// exists here it is started with the rest as its arguments; otherwise the
// document is shown with the presentation program of the office suite found on
// the search path, or else with whatever the desktop opens it with. Nothing
// waits for the program and nothing is reported when it does not start.
class ProgramStart
{
public:
    struct CommandLine
    {
        QString program;
        QStringList arguments;
        QString document; // the argument after "/s", empty if there is none
    };

    static CommandLine split(const QString &commandLine);

    static void start(const QString &commandLine);

    // The browser engine refuses to run its sandbox for the superuser; the
    // program entry turns the sandbox off in that case only.
    static bool runsAsSuperuser();
};
