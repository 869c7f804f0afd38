// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class ClassStore;
class FolderAccess;

// What a teacher checks in a class folder before the first lesson: the
// course's files, whether the class can read and write every record its
// copies write, locks and side files left behind, links that lead out of
// the folder, a test log outside it, the tests converted, free space. Each
// finding is one line in the user's words naming its file.
class ClassFolderCheck
{
public:
    // Below this much free space a lesson's records may not fit.
    static constexpr qint64 LowSpaceBytes = 20 * 1024 * 1024;

    struct Result
    {
        QStringList findings;
        QString note; // how write permission was judged, one line
    };

    // The class kept in the folder: the store reads its settings, the
    // folder names its files.
    static Result run(ClassStore &store, const FolderAccess &folder);
};
