#pragma once

#include <QByteArray>
#include <QList>
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

    enum class Refusal
    {
        None,
        EmptyName,
        UnstorableName, // "[" or "]" inside, or a blank at either end
        ForeignLetters, // characters the code page has no byte for
        AlreadyRegistered,
        AdministratorName,
    };

    // Why a registration of this name must not go ahead, checked before
    // anything is written. The administrator's login can never log in as a
    // student, and writing over an existing section would reset that user's
    // password and grades.
    static Refusal checkRegistration(const QByteArray &name, const QByteArray &adminLogin);
    // The Russian text the login panel shows for a refusal.
    static QByteArray refusalText(Refusal refusal);

    // Writes the password and test1 = "1", adds the name to the list file,
    // then test2 ... test12 = "0", in that order, so a failure part way leaves
    // what writing value by value would. Returns the list as the file now
    // holds it.
    static QList<QByteArray> registerUser(const QByteArray &name, const QByteArray &password);

    // The stored password, or nothing when the name has none.
    static std::optional<QByteArray> storedPassword(const QByteArray &name);
    static bool passwordMatches(const QByteArray &name, const QByteArray &password);

    // The stored grade of test k as a whole number's low eight bits; a value
    // that is not a whole number throws "'%s' is not a valid integer value".
    static quint8 readGrade(const QByteArray &name, int k);

    // Removes the user's section and the first list entry equal to the name
    // without regard to letter case; returns the list as the file now holds it.
    static QList<QByteArray> removeUser(const QByteArray &name);

    // test1 ... test12 from the table, under one lock.
    static void writeScores(const QByteArray &name, const Scores &scores);

    static QByteArray testKey(int k);
};
