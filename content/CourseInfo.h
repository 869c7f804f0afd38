// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The installation's own texts that the windows show: the course title and the
// imprint of the title page, the about window and the author window.
class CourseInfo
{
public:
    static const QString Title;           // the main window's caption
    static const QString TitleFirstLine;  // title page, first title line
    static const QString TitleSecondLine; // title page, second title line
    static const QString Institution;
    static const QString Department;
    static const QString Author;    // name and position, shown after "Автор: "
    static const QString Specialty; // code and name of the specialty
    static const QString PlaceAndYear;
};
