// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

class ClassStore;

// The course a class's records belong to: the course file beside the
// records, the shipped course where there is none.
class ClassCourse
{
public:
    // The store's folder's course; the current directory's where the store
    // keeps its class in no folder, since the pages are read there.
    static CourseStructure of(const ClassStore &store);
};
