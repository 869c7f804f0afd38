// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The administrator settings line of "data\info\tumb.db": login, password and
// the test-log file name, joined by "|".
class AdminSettings
{
public:
    static const QByteArray FileName; // "data\info\tumb.db"

    QByteArray login;
    QByteArray password;
    QByteArray logName;

    // Splits the first line: a "|" advances the field, characters after a third
    // "|" are ignored, missing fields are empty.
    static AdminSettings parse(const QByteArray &line);
    // login "|" password "|" log name, without the line end.
    QByteArray line() const;

    // Whether the test-log name stays inside the course folder: neither an
    // absolute name outside it nor one that leaves it with "..", nor a link
    // out of it. The log is appended to by every copy and shown to the
    // administrator, so a name outside would write to, or show, another
    // user's file.
    static bool logNameStaysInside(const QByteArray &logName);
    // The refusal of such a name, naming it (Windows-1251).
    static QByteArray logNameOutsideText(const QByteArray &logName);

    // Reads the first line of the file. A missing file throws RuntimeError
    // "File not found"; other failures the runtime's input/output error.
    static AdminSettings read();
    // Writes the line followed by CR LF, replacing the file atomically; a
    // refused write throws the input/output error and leaves the file as it was.
    void write() const;
};
