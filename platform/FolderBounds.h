// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The course folder (the current directory) as the boundary of everything
// the program writes. Students can write the folder, so they can put a link
// where a record lies; a record written through it must not land in another
// user's files. A link whose target lies inside the folder keeps working.
class FolderBounds
{
public:
    // The folder, with its links resolved.
    static QString root();

    // Whether the path lies inside the folder once every link on the way,
    // the last one too, is resolved. A missing file counts by the folder it
    // would be created in; a link that leads nowhere counts as outside.
    static bool isInside(const QString &path);

    // The path a record named by path (a local path as Paths gives it) is
    // written at: its folders and a final link resolved. Throws RuntimeError
    // naming the path when it leads outside the folder, or is a link to
    // nothing.
    static QString recordPath(const QString &path);
    // The same for a record that is read: a link out, or to nothing, is not
    // followed, and the refusal says that the read was refused.
    static QString readPath(const QString &path);

    // Whether the path, as written, starts in the folder, however it goes on
    // (a link, ".."): a record's path, judged by recordPath. A file the user
    // names elsewhere, a report saved outside, is none.
    static bool startsInside(const QString &path);

    // Throws the refusal of recordPath for a path that leads outside.
    [[noreturn]] static void refuseOutside(const QString &path);

    // A descriptor of the folder dirPath for operations relative to it (the
    // caller closes it), or -1 with errno set. Below the course folder no
    // step of the way may lead outside it, decided by the system as it opens
    // each step, so a folder swapped for a link after recordPath refuses the
    // write instead of following it. Elsewhere the folder is opened as named.
    static int openDirectory(const QString &dirPath);

    // A descriptor for reading the regular file at path, a path in the
    // folder (the caller closes it), or -1 with errno set. No step of the
    // way may be a link, and none may lead outside the folder, decided by
    // the system as it opens each step: a name swapped for a link at any
    // moment refuses the open (ELOOP, EXDEV) instead of following it, and
    // what is read from the descriptor is what was opened. A folder, a pipe
    // or a device is refused too (EISDIR, ENXIO), without waiting on it.
    static int openFile(const QString &path);
};
