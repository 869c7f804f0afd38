// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include "RuntimeError.h"

#include <memory>

class ClassStore;

// The tool works the way the program does: on names relative to the current
// directory, spelt in Windows-1251. These make a folder given on the command
// line current and turn a command-line name into its stored spelling.
class WorkingFolder
{
public:
    // A class folder that cannot be reached: the tool exits with 2.
    class Unreachable : public RuntimeError
    {
    public:
        using RuntimeError::RuntimeError;
    };

    // The class folder of a command: the folder given (a path or a share's
    // address), else the lab's class folder when one is set, else the
    // current directory. Throws Unreachable with the folder and the likely
    // cause.
    static void enterClassFolder(const QString &given);
    // The class of a command: on the results server where one is named
    // (ClassServer), else kept in that folder; the one store a command works
    // on.
    static std::unique_ptr<ClassStore> openClass(const QString &given);

    // Throws RuntimeError when the folder cannot be made current.
    static void enter(const QString &folder);

    // Throws RuntimeError when the name has characters Windows-1251 lacks.
    static QByteArray storedName(const QString &name);

    // The current folder's administrator login, which no user may take; empty,
    // with a warning, when the settings cannot be read, so that a class whose
    // settings file is damaged can still be managed.
    static QByteArray adminLogin(ClassStore &store);
};
