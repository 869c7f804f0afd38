// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The system calls behind every write of a record, in the forms that hold on
// a classroom's network share as they do on a local disk. A share with the
// original platform's rules refuses to replace or remove a file while any
// copy has it open, if only to read it for a moment, so a replacement and a
// removal wait that out; and it cannot open a file for appending, so an
// append writes at the size it finds. A client's brief input/output errors
// are waited out for a bounded time (FileRead::IoErrorWaitMs). Each call
// returns 0 or the system's error number.
class FileWrite
{
public:
    // How long a replacement or removal waits for a file held open elsewhere.
    static constexpr int BusyWaitMs = 20000;

    // Writes the data to a new file beside the path (sideName), flushed to
    // the disk, then renames it over the path, so a reader or a crash finds
    // the old file or the new one. The new file takes the old one's
    // permissions and group (GroupShare). A link in the file's place is
    // replaced, not followed: callers resolve links they mean to keep. The
    // caller holds the file's lock.
    //
    // A share's client may remove the old file before the rename and then
    // be refused the rename while another machine still has the old one
    // open; the rename is tried again until it lands. If it never does, the
    // new file stays beside the missing one, the only whole copy, for
    // recover() and FileRead, and the error is returned.
    static int replace(const QString &path, const QByteArray &data);
    static QString sideName(const QString &path);

    // Why a replacement of the path failed with the error, in the user's
    // words, where more than the error number can say it: a folder in the
    // side file's place, a file held open on a share. Empty otherwise.
    static QString refusalReason(const QString &path, int error);

    // Puts the new file of a replacement that did not land into the place of
    // the missing file. The caller holds the file's lock and calls this
    // before it reads the file for a change, so that a missing file is never
    // taken for an empty one while its records wait beside it. 0 when the
    // file is there or nothing waits beside it.
    static int recover(const QString &path);

    // Creates the file when it is missing (writable by the group of a shared
    // folder) and writes the data after its last byte; where the client
    // cannot write into an existing file, the grown file is written whole
    // through replace(). Two writers must not append at once: the caller
    // holds the file's lock.
    static int append(const QString &path, const QByteArray &data);
    // The append as a replacement of the file with its bytes and the data
    // after them, for a file that cannot be written in place; a missing file
    // is made. The caller holds the file's lock.
    static int appendByReplacing(const QString &path, const QByteArray &data);

    // Removes the file, waiting up to waitMs while it is held open and out a
    // client's brief input/output errors; a missing file counts as removed.
    static int remove(const QString &path, int waitMs);
    // The same for the entry name of the open folder dirFd; a link there is
    // removed, not followed.
    static int removeAt(int dirFd, const QByteArray &name, int waitMs);
    // Removes what stands at path, a folder with everything below it, going
    // down through descriptors of the folders opened without following a
    // link: a folder below swapped for a link, however late, loses the link
    // and nothing the link leads to. The path's own folder is opened within
    // the course folder's bounds. 0, or the first error met.
    static int removeTree(const QString &path);

    // Writes all the data at the descriptor's position or at an offset.
    static int writeAll(int fd, const QByteArray &data, qint64 offset = -1);
};
