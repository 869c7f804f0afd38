// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

#include <QList>
#include <QString>

// What course check finds in a folder's course file beyond what the reader
// finds: pages and documents that are missing, an open page linking to one
// that is still locked, and a file the students' group could rewrite.
class CourseFileCheck
{
public:
    struct Report
    {
        bool present = false; // the folder has a course file
        int entries = 0;
        int tests = 0;
        QList<CourseStructure::Finding> findings; // in line order
    };

    static Report check(const QString &folder);
};
