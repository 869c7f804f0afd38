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

    // Reads the first line of the file. A missing file throws RuntimeError
    // "File not found"; other failures the runtime's input/output error.
    static AdminSettings read();
    // Writes the line followed by CR LF, replacing the file atomically; a
    // refused write throws the input/output error and leaves the file as it was.
    void write() const;
};
