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
    // Replaces the file atomically; on failure the old file stays. Throws
    // IoError::inOut.
    static void replace(const QString &path, const QByteArray &data);
    // Creates the file when it is missing, then appends. Throws IoError::inOut.
    static void append(const QString &path, const QByteArray &data);

    // The system error that best explains why the path could not be opened,
    // found by looking at the path itself (portable where errno is not kept).
    static int diagnose(const QString &path, bool writing);
};
