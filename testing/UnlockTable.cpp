// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnlockTable.h"

QList<QByteArray> UnlockTable::entries(const QByteArray &testName) const
{
    QList<QByteArray> names;
    const QString test = QString::fromLatin1(testName);
    for (const MenuTree::Entry &entry : m_course.entries()) {
        if (entry.after.contains(test))
            names.append(entry.name.toLower().toLatin1());
    }
    return names;
}

QList<QByteArray> UnlockTable::defaultEntries(const QByteArray &testName)
{
    return UnlockTable(CourseStructure::defaultCourse()).entries(testName);
}

QList<UnlockTable::State> UnlockTable::states(const QList<QByteArray> &passedTests) const
{
    QList<State> result;
    for (const MenuTree::Entry &entry : m_course.entries()) {
        if (!entry.after.isEmpty())
            result.append(
                {entry.name.toLower().toLatin1(), CourseStructure::opens(entry, passedTests)});
    }
    return result;
}

QStringList UnlockTable::missing(const MenuTree::Entry &entry, const QList<QByteArray> &passedTests)
{
    QStringList names;
    for (const QString &test : entry.after) {
        if (!passedTests.contains(test.toLatin1()))
            names.append(test);
    }
    return names;
}
