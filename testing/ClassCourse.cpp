// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassCourse.h"

#include "ClassStore.h"
#include "FolderAccess.h"

#include <QDir>

CourseStructure ClassCourse::of(const ClassStore &store)
{
    const FolderAccess *access = store.folderAccess();
    return CourseStructure::load(access ? access->folder() : QDir::currentPath());
}
