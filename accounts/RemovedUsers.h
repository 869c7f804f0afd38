// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>

// "removed-users.ini" beside users.ini: every removed user's section as it
// stood, each after a comment line with the date and time of its removal, so
// that no removal loses a grade for good. The file only grows; a user removed
// twice is there twice, the later one last.
class RemovedUsers
{
public:
    static const QByteArray FileName; // "\removed-users.ini"

    // Appends the section of users.ini named so (in any letter case); nothing
    // when there is none. Throws the runtime's input/output error when the
    // file cannot be appended to, so that the removal does not go ahead.
    static void keep(const QByteArray &name, const QDateTime &when = QDateTime::currentDateTime());

    // The section last kept under the name, header to its last key line, or
    // an empty array. A missing file keeps nothing.
    static QByteArray lastKept(const QByteArray &name);
};
