// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Names of files as the original Windows program spells them, turned into
// paths of this machine. Two forms arrive: "working directory + name" where
// the name begins with a backslash ("\users.ini", "\data\tests\test3.ini"),
// and plain relative names ("users", "data\info\tumb.db"). Both are taken
// against the process's current directory, read afresh at every call.
// Backslashes separate components. A component missing under its exact
// spelling is matched against the existing entries without regard to letter
// case (Latin and Cyrillic), so a folder copied from Windows reads unchanged.
// A component that matches nothing keeps the spelling given, so a new file is
// created under that name in the folder found so far.
class Paths
{
public:
    // The current directory as the system reports it.
    static QString workingDirectory();

    // The local path for a stored (Windows-1251) name.
    static QString resolve(const QByteArray &name);
    static QString resolve(const QString &name);

    // The form shown in messages: the resolved path with the platform's
    // separators.
    static QString display(const QString &path);
};
