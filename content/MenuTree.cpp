// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuTree.h"

#include "CourseStructure.h"

using namespace Qt::Literals::StringLiterals;

const QString MenuTree::ProgramOne =
    u"C:\\Program Files (x86)\\Microsoft Office\\Office14\\POWERPNT.EXE"_s;
const QString MenuTree::ProgramTwo =
    u"C:\\Program Files\\Microsoft Office\\OFFICE11\\POWERPNT.EXE"_s;

bool MenuTree::Entry::visibleFor(Role role) const
{
    if (hidden)
        return false;
    return roles == 0 || (roles & (1 << int(role))) != 0;
}

const QList<MenuTree::Entry> &MenuTree::entries()
{
    return CourseStructure::defaultCourse().entries();
}

QList<MenuTree::Entry> MenuTree::children(const QString &parent)
{
    return CourseStructure::defaultCourse().children(parent);
}

const MenuTree::Entry *MenuTree::find(const QString &name)
{
    return CourseStructure::defaultCourse().find(name);
}
