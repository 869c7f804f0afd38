// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A draft course text from the manifest of an IMS Content Packaging (SCORM)
// package: the default organization's items become the menu, an item with
// items of its own a group, an item naming a resource a page opening the
// resource's file. What the course file has no place for (sequencing,
// prerequisites, parameters, resources outside the package, further
// organizations) is listed with the manifest's line numbers.
class ManifestImport
{
public:
    struct Result
    {
        QByteArray text;                         // the draft course.ini, UTF-8
        QList<CourseStructure::Finding> dropped; // what was not carried over
        QString error;                           // the manifest could not be read at all
    };

    static Result convert(const QByteArray &manifest);
};
