// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The locks and side files in a class folder and below it: a lock
// ("name.lock") is there while a copy writes the file and stays when the copy
// died; a side file ("name.new") is a replacement that never reached its
// rename. Either one left behind, or put there, can stop the writes of a
// whole class.
class LeftLocks
{
public:
    struct Entry
    {
        QString path;
        QString words; // what it is, in the user's words
    };

    static QList<Entry> find(const QString &folder);

    // Removes the lock or side file with whatever is inside it; empty, or
    // the system's reason why not.
    static QString clear(const QString &path);
};
