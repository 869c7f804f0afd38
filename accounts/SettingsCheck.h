// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassSettings.h"

class ClassStore;

#include <QByteArray>

// What the settings panel must not save as it is. An empty administrator
// login keeps everybody out of the administrator's way in from the next start
// on, with nothing inside the program to undo it; an empty log name makes
// every finished test end in an error; a login that is a registered user's
// name takes that student's way in for good.
class SettingsCheck
{
public:
    enum class Verdict
    {
        Fine,
        EmptyLogin,     // refused
        EmptyLogName,   // refused
        LogNameOutside, // refused
        LoginIsUser,    // saved only once confirmed
    };

    // Looks the login up among the store's registered users, in any letter
    // case, and asks the store whether it can keep its log under the name.
    static Verdict check(const ClassStore &store, const ClassSettings &edited);
    // Whether the verdict keeps the settings from being saved at all.
    static bool refuses(Verdict verdict);
    // The Russian text the panel shows: the refusal, or the question to confirm.
    static QByteArray text(const ClassStore &store, Verdict verdict, const ClassSettings &edited);
};
