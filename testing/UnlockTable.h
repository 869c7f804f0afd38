// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

#include <QByteArray>
#include <QList>

// Which menu entries passed tests make available, as the course's after=
// options say: an entry opens when every test it names is passed. Nothing is
// closed again during a run.
class UnlockTable
{
public:
    explicit UnlockTable(const CourseStructure &course) : m_course(course) {}

    // The names, in lower case, of the entries that wait for the test; empty
    // for a name no entry waits for.
    QList<QByteArray> entries(const QByteArray &testName) const;
    // The same in the shipped course.
    static QList<QByteArray> defaultEntries(const QByteArray &testName);

    // Every entry that waits for a test, with whether the passed tests open it.
    struct State
    {
        QByteArray name; // lower case
        bool open = false;
    };
    QList<State> states(const QList<QByteArray> &passedTests) const;
    // The tests among those waited for that are not passed, naming why an
    // entry is locked.
    static QStringList missing(const MenuTree::Entry &entry, const QList<QByteArray> &passedTests);

private:
    const CourseStructure &m_course;
};
