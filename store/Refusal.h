// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Why a name or a password the user typed is not stored. Every store refuses
// with these, checked before anything is written; the store words them
// (ClassStore::refusalText).
enum class Refusal
{
    None,
    EmptyName,
    UnstorableName, // "[" or "]" inside, a control character, or a blank at either end
    ForeignLetters, // characters the code page has no byte for
    AlreadyRegistered,
    AdministratorName,
    // Passwords that could be stored but never typed back at login.
    MissingMarkerPassword, // reads back as a missing password
    LongPassword,          // longer than a read returns
    ForeignPasswordLetters,
    UnstorablePassword, // a byte the store cannot keep
};
