// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuTree.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <initializer_list>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;

// The main window's menu bar built from the course's menu tree: captions with
// their access keys, pictures, first visibility. Entries are found by name
// without regard to letter case, the way the window looks its components up.
class MainMenu : public QObject
{
    Q_OBJECT

public:
    explicit MainMenu(QMainWindow *window);

    QMenuBar *bar() const { return m_bar; }
    // nullptr if there is no such entry; a group is found through the action
    // that opens its list.
    QAction *entry(const QString &name) const;
    QMenu *group(const QString &name) const;

    void setVisible(std::initializer_list<const char *> names, bool visible);
    // Enables or disables the entries the test's passing makes available.
    void enableRow(const QByteArray &testName, bool flag);

signals:
    // An entry that is no group was chosen.
    void chosen(const MenuTree::Entry &entry);

private:
    void addLevel(const QString &parent, QWidget *container);

    QMenuBar *m_bar;
    QHash<QString, QAction *> m_entries; // by lower-case name
    QHash<QString, QMenu *> m_groups;    // by lower-case name
};
