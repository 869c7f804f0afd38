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
        NotRegistered, // no user of that name
        NothingKept,   // no removed user of that name to bring back
        Refused,       // the name or password: see `refusal`
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
