// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ClassStore;

// A test named on the command line, taken as one of the class's course: the
// tests of the course.ini beside the records, the shipped course's where the
// folder has none.
class CourseTestName
{
public:
    // The test's number (testk, any letter case), or 0 after an error on the
    // terminal that names the course's tests. A course file with errors
    // names none: then any test the records hold is taken, with a warning.
    static int number(const ClassStore &store, const QString &name);
};
