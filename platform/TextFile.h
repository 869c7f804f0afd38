// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes of the plain text files (the user list, the
// settings line, the test log, question sources), failing with the runtime's
// input/output error.
class TextFile
{
public:
    // Throws IoError::inOut.
    static QByteArray read(const QString &path);
    // Replaces the file atomically under its lock; on failure the old file
    // stays. A read-only file (isReadOnly) is refused. Throws IoError::inOut.
    static void replace(const QString &path, const QByteArray &data);
    // Creates the file when it is missing, then appends under its lock, so
    // two copies appending at once keep both lines. A read-only file is
    // refused. Throws IoError::inOut.
    static void append(const QString &path, const QByteArray &data);

    // The read-only attribute of the original platform stops every writer,
    // the administrator too; a file without any write bit in its mode is its
    // counterpart here, whoever runs the program.
    static bool isReadOnly(const QString &path);
    // Whether a replacement of the file would go through, as far as the file
    // system tells without writing: the folder takes new files and the file,
    // if it is there, is no folder and not read-only.
    static bool canReplace(const QString &path);

    // The system error that best explains why the path could not be opened,
    // found by looking at the path itself (portable where errno is not kept).
    static int diagnose(const QString &path, bool writing);
};
