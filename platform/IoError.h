// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RuntimeError.h"

#include <QString>

// The runtime's wording of file failures, built from what the file system
// says about a path right after an operation on it failed.
class IoError
{
public:
    // "Unable to write to %s": a refused profile write or section removal.
    static RuntimeError unableToWrite(const QString &path);

    // The input/output error of a text file that could not be opened:
    // "File not found", "Path not found", "File access denied", "Disk full",
    // "I/O error %d".
    static RuntimeError inOut(const QString &path, int systemError);

    // "Cannot open file "%s". %s" and "Cannot create file "%s". %s", with the
    // system's reason.
    static RuntimeError cannotOpen(const QString &path, const QString &reason);
    static RuntimeError cannotCreate(const QString &path, const QString &reason);

    // The system's reason for an error number, as its message catalogue
    // words it.
    static QString reason(int systemError);

    // A message of the runtime's in Russian, the runtime's own words after it
    // in brackets, for the administrator's terminal; any other message as it
    // is. Only the first line is worded anew.
    static QString russianFirst(const QString &message);
};
