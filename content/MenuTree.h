// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The course book's menu bar as fixed data: every entry with its caption, its
// place in the tree, its visibility when the main window is created and what a
// click on it does. The window builds its menus from this table; nothing adds,
// removes or renames an entry afterwards.
class MenuTree
{
public:
    enum class Kind
    {
        Group,        // opens its drop-down list, no action of its own
        Page,         // argument: relative page path, opened in the HTML view
        Presentation, // argument: command line for the presentation program
        Test,         // starts the test run named by the entry's name
        Operation     // a command of the window, found by the entry's name
    };

    struct Entry
    {
        QString name;
        QString caption;
        QString parent; // empty for the entries of the menu bar itself
        bool visible;
        Kind kind;
        QString argument;

        // Every item carries a small picture beside its caption, except the
        // menu bar's own entries and the two that never had one.
        bool hasPicture() const;
    };

    // The two installed presentation programs the command lines name.
    static const QString ProgramOne;
    static const QString ProgramTwo;

    // All entries, each group followed later by its items, in menu order.
    static const QList<Entry> &entries();

    // The entries whose parent is the given name (empty: the menu bar), in order.
    static QList<Entry> children(const QString &parent);

    // Looks an entry up by name without regard to letter case; nullptr if none.
    static const Entry *find(const QString &name);
};
