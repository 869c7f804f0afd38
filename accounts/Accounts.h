// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Refusal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// Registration, login and removal of users on users.ini and the list file,
// shared by the login panel and the administrator's command-line tool.
class Accounts
{
public:
    static const QByteArray UsersIni; // "\users.ini"
    static constexpr int TestCount = 12;
    using Scores = std::array<quint8, TestCount>;

    using Refusal = ::Refusal;

    struct Registration
    {
        Refusal refusal = Refusal::None;
        // The list as the file holds it after the registration.
        QList<QByteArray> list;
    };

    // Why a registration of this name must not go ahead, checked before
    // anything is written. The administrator's login can never log in as a
    // student, and writing over an existing section would reset that user's
    // password and grades.
    static Refusal checkRegistration(const QByteArray &name, const QByteArray &adminLogin);
    // The same without looking at users.ini: what the name itself allows.
    static Refusal checkName(const QByteArray &name, const QByteArray &adminLogin);
    static Refusal checkPassword(const QByteArray &password);
    // For text typed into a window: the refusal of letters that the code page
    // cannot spell, which would be stored as other letters.
    static Refusal checkSpelling(const QString &name, const QString &password);
    // The Russian text the login panel shows for a refusal.
    static QByteArray refusalText(Refusal refusal);

    // Checks the name and the password and writes the registration under one
    // hold of the locks of users.ini and of the list (in that order), so that
    // of several copies registering one name exactly one succeeds. Before the
    // first write both files are checked to be writable; the password,
    // test1 = "1" and test2 ... test12 = "0" go into users.ini in one
    // replacement, then the name into the list. A list that still cannot be
    // written takes the new section away again, so a failure leaves neither
    // a section that cannot log in nor a name that cannot be registered.
    static Registration registerUser(const QByteArray &name, const QByteArray &password,
                                     const QByteArray &adminLogin = QByteArray());
    // The stored password, or nothing when the name has none.
    static std::optional<QByteArray> storedPassword(const QByteArray &name);
    static bool passwordMatches(const QByteArray &name, const QByteArray &password);

    // The stored grade of test k as a whole number's low eight bits; a value
    // that is not a whole number throws "'%s' is not a valid integer value".
    static quint8 readGrade(const QByteArray &name, int k);

    // Keeps the user's section in removed-users.ini, then removes it and the
    // first list entry equal to the name without regard to letter case;
    // returns the list as the file now holds it.
    static QList<QByteArray> removeUser(const QByteArray &name);

    // test1 ... test12 from the table, under one lock, into the user's
    // section only if it is still there: a user removed by another copy or by
    // the tool while logged in here must not come back as a section without a
    // password. Returns whether the grades were written.
    static bool writeScores(const QByteArray &name, const Scores &scores);

    static QByteArray testKey(int k);
};
