// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class ClassStore;

// A class roster as a spreadsheet exports it: one student a line, the fields
// apart by ";" or a tab, in UTF-8 or Windows-1251. The first line is a header
// where it names a column by a title a roster uses ("ФИО", "Фамилия", "Имя",
// "Отчество", "Пароль", "Группа" …, or the English ones); the columns are
// then taken by their titles: the name from the name's columns in their
// order, the password only from a column so named, anything else left out. A
// roster without a header is one of names alone, or has its columns named
// by the caller; with more columns and no names for them it is refused
// rather than guessed at. Blank lines are skipped and blanks around the
// fields dropped. Every line is checked as a registration checks it, and
// against the lines above it, before anything is written.
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
        bool header = false;     // the first line named the columns
        // Why the columns cannot be told apart: several columns, no header
        // and no names given. Nothing is read then.
        QString unnamedColumns;
    };

    enum class Column
    {
        Name, // a whole name, or one part of it, in column order
        Password,
        Other, // left out
    };
    // The column a title names; nullopt for no title a roster uses.
    static std::optional<Column> columnTitled(const QString &title);

    // Reads and checks the roster against the store's registered users; a
    // missing password is generated. columns, where not empty, names the
    // columns of a roster without a header ("ФИО;Пароль").
    static Reading read(const ClassStore &store, const QByteArray &raw,
                        const QByteArray &adminLogin, const QString &columns = QString());

    // Eight characters from small Latin letters and digits without the ones
    // that read alike on paper (l, 1, i, o, 0), so that a student types
    // what the sheet shows.
    static QByteArray generatePassword();
    static const QByteArray PasswordAlphabet;

    // The printable sheet, UTF-8: one slip a student to cut out, with the
    // name, the initial password and how to log in with them.
    static QByteArray sheet(const QList<Entry> &entries, const QDateTime &made);
};
