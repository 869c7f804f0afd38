// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseTestName.h"

#include "ClassCourse.h"
#include "ClassStore.h"
#include "Console.h"
#include "CourseStructure.h"
#include "FolderAccess.h"

#include <QDir>

int CourseTestName::number(const ClassStore &store, const QString &name)
{
    const CourseStructure course = ClassCourse::of(store);
    const int k = CourseStructure::testNumber(name);
    if (course.broken()) {
        Console::warning(QStringLiteral("в %1 ошибки (coursebook-admin course check); тест "
                                        "взят по записям")
                             .arg(CourseStructure::FileName));
        if (!k)
            Console::error(QStringLiteral("Нет теста %1: записи хранят test1 … test%2.")
                               .arg(name)
                               .arg(CourseStructure::MaxTests));
        return k;
    }
    QStringList tests;
    for (const MenuTree::Entry *test : course.tests()) {
        if (k && test->name == name.toLower())
            return k;
        tests.append(QStringLiteral("%1 «%2»").arg(test->name, test->caption));
    }
    Console::error(QStringLiteral("Нет теста %1 в курсе; его тесты: %2.")
                       .arg(name, tests.join(QStringLiteral(", "))));
    return 0;
}
