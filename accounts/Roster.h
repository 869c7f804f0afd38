// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class ClassStore;

// A class roster: one student a line, a name and optionally a password
// after ";" or a tab, in UTF-8 or Windows-1251. Blank lines are skipped and
// blanks around the fields dropped. Every line is checked as a registration
// checks it, and against the lines above it, before anything is written.
class Roster
{
public:
    struct Entry
    {
        int line = 0;
        QByteArray name;     // Windows-1251
        QByteArray password; // Windows-1251
        bool generated = false;
    };

    struct Refusal
    {
        int line = 0;
        QString text;
    };

    struct Reading
    {
        QList<Entry> entries;
        QList<Refusal> refusals; // in line order
    };

    // Reads and checks the roster against the store's registered users; a
    // missing password is generated.
    static Reading read(const ClassStore &store, const QByteArray &raw,
                        const QByteArray &adminLogin);

    // Eight characters from small Latin letters and digits without the ones
    // that read alike on paper (l, 1, i, o, 0), so that a student types
    // what the sheet shows.
    static QByteArray generatePassword();
    static const QByteArray PasswordAlphabet;

    // The printable sheet: a table of names and initial passwords, UTF-8.
    static QByteArray sheet(const QList<Entry> &entries, const QDateTime &made);
};
