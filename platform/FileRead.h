// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads of records that a copy on another machine may be
// replacing at that moment. A share's client can answer every path of its
// server with an input/output error for a few seconds after an odd answer,
// and between a replacement's removal of the old file and the rename of the
// new one the file is missing while the new one waits beside it
// (FileWrite::sideName); both are waited out for a bounded time, and a file
// still missing then is read from the new one beside it, which is whole.
class FileRead
{
public:
    // How long a read waits out input/output errors.
    static constexpr int IoErrorWaitMs = 8000;
    // How long a read waits for a replacement to land before reading the
    // new file beside the missing one.
    static constexpr int LandingWaitMs = 3000;
    // How long a file on a share that is missing, busy or denied with
    // nothing beside it is looked for again.
    static constexpr int SettleMs = 500;

    // 0 and the file's bytes, or the system's error number (ENOENT for a
    // file that is missing with nothing beside it). A path in the course
    // folder that a link leads out of it, or to nothing, is not read: EXDEV
    // (FolderBounds::readPath says why). What a student can plant in a
    // record's place and no write of the program makes, something that is no
    // plain file (a named pipe would hang the reader) or a file far larger
    // than any class's (a sparse one costs no quota), throws RuntimeError
    // naming it, before a byte is read.
    static int read(const QString &path, QByteArray *data);

    // The largest file of the path's kind that is read, in bytes: far above
    // any real class, far below what would exhaust the memory.
    static qint64 sizeLimit(const QString &path);
    // Why read would refuse the file at path (its kind or its size), or
    // nothing: a missing file or one that cannot be opened has its own words.
    static QString refusal(const QString &path);
    // A size as a person reads it: "512 МБ", "4 КБ", "17 байт".
    static QString sizeText(qint64 bytes);

    // Whether the error is one that a share's client gives for a moment.
    static bool isBrief(int error);
    // Whether the file's folder is on a network file system or a FUSE mount.
    static bool isOnShare(const QString &path);
};
