// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuTree.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A course's table of contents read from its course file: the menu tree, the
// tests and what unlocks what. The file is our own line-oriented text a
// teacher edits by hand (see the README): a [course] section with the title
// and the start page and a [menu] section with one entry a line, nested by
// indentation. UTF-8 with or without a byte-order mark, or Windows-1251; CR LF
// or LF. Whatever the reader finds wrong comes back as findings with their
// line numbers; a text with errors is no course. No program path ever comes
// from the text: a presentation names a document, the program to show it is
// the program's own.
class CourseStructure
{
public:
    using Entry = MenuTree::Entry;
    using Kind = MenuTree::Kind;
    using Role = MenuTree::Role;

    // The records hold grades for test1 … test10: a course has at most these.
    static constexpr int MaxTests = 10;
    // Limits a hand-written course stays within.
    static constexpr int MaxEntries = 1000;
    static constexpr int MaxDepth = 6;
    static constexpr int MaxCaption = 200;
    static constexpr qint64 MaxFileSize = 1 << 20;

    static const QString FileName; // "course.ini", beside users.ini

    struct Finding
    {
        int line = 0; // from 1; 0 for the file as a whole
        bool error = true;
        QString text;
    };

    // Reads a course text; never throws.
    static CourseStructure parse(const QByteArray &raw);
    // The shipped course, read once from the program's resources.
    static const CourseStructure &defaultCourse();
    static QByteArray defaultText();
    // The course file of the folder, or the shipped course when it has none.
    // A file with errors gives only the help group and the exit with the
    // file's findings, so that a broken file never shows another course.
    static CourseStructure load(const QString &folder);

    bool hasErrors() const;
    // Whether load() found the folder's file broken and fell back.
    bool broken() const { return m_broken; }
    bool fromFile() const { return m_fromFile; }
    const QList<Finding> &findings() const { return m_findings; }

    QString title() const { return m_title; }
    QString startPage() const { return m_start; }
    // [course] scripts = on: the course's pages may run their scripts.
    bool scriptsAllowed() const { return m_scripts; }

    const QList<Entry> &entries() const { return m_entries; }
    QList<Entry> children(const QString &parent) const;
    const Entry *find(const QString &name) const;
    // The test entries in the text's order.
    QList<const Entry *> tests() const;
    // The entry's visibility for the role with its groups': what a user of
    // the role sees while no test runs.
    bool shownTo(const Entry &entry, Role role) const;
    // Whether every test the entry waits for is among the passed ones.
    static bool opens(const Entry &entry, const QList<QByteArray> &passedTests);

    // The findings one a line, "строка N: …", and as the page the window
    // shows in place of a broken course.
    QString findingsText() const;
    QString findingsPage() const;

    // The text of the structure in the course file's format.
    QByteArray text() const;

    // The window's operations a command entry names.
    static const QStringList &operations();
    static QString roleName(Role role);
    // "test" and a number 1 … MaxTests, any letter case; 0 otherwise.
    static int testNumber(const QString &name);
    // Captioned as the shipped course captions test k: "Тест №k".
    static bool numberedCaption(int test, const QString &caption);
    // Test k as a sentence names it after "тест": its number where the
    // course captions it as the shipped one does, by its name "testk", or
    // holds no such test, else its caption in quotes, «Итоговый тест».
    static QString testMark(int test, const QString &caption);
    QString testMark(int test) const;
    // A course-relative page or document path: no drive, no server, no way up.
    static bool insideFolder(const QString &path);

private:
    void addFinding(int line, bool error, const QString &text);
    void parseLine(const QString &line, int number);
    void parseEntry(const QString &line, int number);
    void parseCourseKey(const QString &line, int number);
    void checkReferences();

    QString m_title;
    QString m_start;
    bool m_scripts = false;
    QList<Entry> m_entries;
    QList<Finding> m_findings;
    bool m_broken = false;
    bool m_fromFile = false;

    // While reading.
    enum class Section
    {
        None,
        Course,
        Menu,
        Other
    };
    Section m_section = Section::None;
    QList<std::pair<int, qsizetype>> m_open; // indentation and entry of the groups open
    QChar m_indentChar;
};
