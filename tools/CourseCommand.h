// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// course check|show|import|export-default: the teacher's tools for the course
// file, course.ini, of a course folder.
//   check [--dir D]: every error and warning with its line; exit 1 on errors.
//   show [--dir D] [--as student|admin] [--grades 3,0,…]: the menu a user of
//     the role sees, with what is locked and which test opens it.
//   import MANIFEST [--out FILE]: a draft from an IMS/SCORM package's
//     manifest, listing what it could not carry with the manifest's lines.
//   export-default [--out FILE]: the program's own course as a start.
class CourseCommand
{
public:
    // One form a row of the tool's command table, as the tool's help lists them.
    static const char *const CheckSynopsis;
    static const char *const ShowSynopsis;
    static const char *const ImportSynopsis;
    static const char *const ExportSynopsis;
    static QString checkSummary();
    static QString showSummary();
    static QString importSummary();
    static QString exportSummary();
    static int run(const QStringList &args);
};
