#pragma once

#include <QByteArray>
#include <QString>

// The system calls behind every write of a record, in the forms that hold on
// a classroom's network share as they do on a local disk. A share with the
// original platform's rules refuses to replace or remove a file while any
// copy has it open, if only to read it for a moment, so a replacement and a
// removal wait that out; and it cannot open a file for appending, so an
// append writes at the size it finds. Each call returns 0 or the system's
// error number.
class FileWrite
{
public:
    // How long a replacement or removal waits for a file held open elsewhere.
    static constexpr int BusyWaitMs = 20000;

    // Writes the data to a new file beside the path (sideName), flushed to
    // the disk, then renames it over the path, so a reader or a crash finds
    // the old file or the new one. The new file takes the old one's
    // permissions. A link in the file's place is replaced, not followed:
    // callers resolve links they mean to keep. The caller holds the file's
    // lock.
    static int replace(const QString &path, const QByteArray &data);
    static QString sideName(const QString &path);

    // Creates the file when it is missing and writes the data after its last
    // byte. Two writers must not append at once: the caller holds the file's
    // lock.
    static int append(const QString &path, const QByteArray &data);

    // Removes the file, waiting up to waitMs while it is held open; a missing
    // file counts as removed.
    static int remove(const QString &path, int waitMs);

    // Writes all the data at the descriptor's position or at an offset.
    static int writeAll(int fd, const QByteArray &data, qint64 offset = -1);
};
