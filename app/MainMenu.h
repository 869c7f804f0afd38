// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CourseStructure.h"

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

// The main window's menu bar built from the course's structure: captions with
// their access keys, pictures, visibility per role, which entries hide during
// a test and which wait for tests. Entries are found by name without regard to
// letter case, the way the window looks its components up.
class MainMenu : public QObject
{
    Q_OBJECT

public:
    MainMenu(QMainWindow *window, const CourseStructure &course);

    QMenuBar *bar() const { return m_bar; }
    const CourseStructure &course() const { return m_course; }
    // nullptr if there is no such entry; a group is found through the action
    // that opens its list.
    QAction *entry(const QString &name) const;
    QMenu *group(const QString &name) const;

    // Every entry as the role sees it while no test runs.
    void showRole(MenuTree::Role role);
    // The entries written during-test=hide go while a test runs and are shown
    // again by the progress view's way back.
    void setTestRunning(bool running);
    // After a login: each entry that waits for tests opens when all of them
    // are among the passed ones and closes otherwise. After a run only opens
    // (closing nothing), as a lower grade counts from the next login on.
    void applyUnlocking(const QList<QByteArray> &passedTests, bool closeOthers);
    // Enables or disables the entries that wait for the test.
    void enableRow(const QByteArray &testName, bool flag);

signals:
    // An entry that is no group was chosen.
    void chosen(const MenuTree::Entry &entry);

private:
    void addLevel(const QString &parent, QWidget *container);
    void setOpen(QAction *action, const MenuTree::Entry &entry, bool open,
                 const QList<QByteArray> &passedTests);

    CourseStructure m_course;
    MenuTree::Role m_role = MenuTree::Role::Guest;
    QMenuBar *m_bar;
    QHash<QString, QAction *> m_entries; // by lower-case name
    QHash<QString, QMenu *> m_groups;    // by lower-case name
};
