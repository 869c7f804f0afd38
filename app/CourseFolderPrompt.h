// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CourseFolder;

// The window side of the choice of the course folder: it asks the user what
// the choice cannot decide alone, a share's user and password, and what to do
// when the class folder or the last folder cannot be reached ("Повторить",
// "Выход", and the private copy of the sample where it is offered).
class CourseFolderPrompt
{
public:
    // Exit codes of the program when no folder was entered.
    static constexpr int NoFolder = 1;
    static constexpr int Quit = 2;

    // Enters the course folder; 0 when one was entered, else the program's
    // exit code, the reason shown and printed on stderr.
    static int enter(CourseFolder &course, const QString &argument);
};
