// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One menu entry of a course's tree as the window builds it, and the tree the
// program ships: the course of a folder without a course file of its own. The
// shipped tree is the same course text a teacher writes, read by the same
// reader (CourseStructure); nothing of it is compiled in.
class MenuTree
{
public:
    enum class Kind
    {
        Group,        // opens its drop-down list, no action of its own
        Page,         // argument: relative page path, opened in the HTML view
        Presentation, // argument: command line for the presentation program
        Test,         // starts the test run named by the entry's name
        Operation     // argument: one of the window's commands (CourseStructure::operations())
    };

    // Who is using the program: the roles a login makes of a run.
    enum class Role
    {
        Guest,
        Student,
        Administrator
    };
    static constexpr int RoleCount = 3;

    struct Entry
    {
        QString name;
        QString caption;
        QString parent;      // empty for the entries of the menu bar itself
        bool visible = true; // before log-in, the entry's own state (its group may hide it)
        Kind kind = Kind::Group;
        QString argument;

        // What the course text says beyond that.
        QString target;      // as written: page, document or operation
        int roles = 0;       // bit per Role written with for=; 0 takes the group's
        bool hidden = false; // never shown
        QStringList after;   // tests that must all be passed first
        bool hideDuringTest = false;
        bool noIcon = false;
        QString label; // a test's row caption in the progress view and the report
        int line = 0;  // where the course text holds it

        // Every item carries a small picture beside its caption, except the
        // menu bar's own entries and those written with no-icon.
        bool hasPicture() const { return !parent.isEmpty() && !noIcon; }
        // The entry's own visibility for the role; a group it is in hides it
        // with the group.
        bool visibleFor(Role role) const;
    };

    // The two installed presentation programs a presentation entry opens its
    // document with: the program's own, never named by a course text.
    static const QString ProgramOne;
    static const QString ProgramTwo;

    // All entries of the shipped course, each group followed by its items.
    static const QList<Entry> &entries();

    // The entries whose parent is the given name (empty: the menu bar), in order.
    static QList<Entry> children(const QString &parent);

    // Looks an entry up by name without regard to letter case; nullptr if none.
    static const Entry *find(const QString &name);
};
