#pragma once

#include <QByteArray>
#include <QString>

// The tool works the way the program does: on names relative to the current
// directory, spelt in Windows-1251. These make a folder given on the command
// line current and turn a command-line name into its stored spelling.
class WorkingFolder
{
public:
    // Throws RuntimeError when the folder cannot be made current.
    static void enter(const QString &folder);

    // Throws RuntimeError when the name has characters Windows-1251 lacks.
    static QByteArray storedName(const QString &name);
};
