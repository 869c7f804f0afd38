// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QAction;
class QMenu;

// A course menu's entry as a screen reader meets it. Qt's own menu items
// give no description, so a locked entry would be read as just "unavailable";
// this one also reads why: the status tip the menu sets ("Откроется после
// теста …"). Everything else is what Qt's menu item gives.
class MenuEntryAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    // Marks an action as a course entry, read through this interface.
    static void mark(QAction *action);
    // Makes Qt ask this class for marked actions; once per program.
    static void install();

    explicit MenuEntryAccessible(QAction *action);

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QWidget *owner() const; // the menu or menu bar the entry is shown in

    QPointer<QAction> m_action;
};
