// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Refusal.h"

#include <QByteArray>

// The outcome of the administrator's change to a registered user: a new
// password, a new name, or a removed user brought back.
struct UserChange
{
    enum class Problem
    {
        None,
        NotRegistered,   // no user of that name
        NothingKept,     // no removed user of that name to bring back
        Refused,         // the name or password: see `refusal`
        ManyKept,        // several removals kept under the name, none picked
        NoSuchRemoval,   // none kept under the name at the date picked
        RegisteredAgain, // registered again since, and no choice what to do
    };

    // What a restore does where the name was registered again since.
    enum class Over
    {
        Ask,      // refuse with RegisteredAgain
        Replace,  // the kept record replaces the new one, which is kept in turn
        KeepBest, // the new account stays, with the better grade of the two each test
    };

    Problem problem = Problem::None;
    Refusal refusal = Refusal::None;
    QByteArray name;     // the user's name as stored before the change
    int logLines = 0;    // a rename: the log's lines that now name the new name
    int answerLines = 0; // a rename: the answer record's lines
    bool ok() const { return problem == Problem::None; }

    static UserChange refused(Refusal refusal)
    {
        UserChange change;
        change.problem = Problem::Refused;
        change.refusal = refusal;
        return change;
    }
    static UserChange failed(Problem problem)
    {
        UserChange change;
        change.problem = problem;
        return change;
    }
};
