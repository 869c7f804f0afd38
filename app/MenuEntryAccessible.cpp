// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuEntryAccessible.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <QWindow>

namespace {

const char *const Marker = "coursebookEntry";

QAccessibleInterface *entryFactory(const QString &, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    if (!action || !action->property(Marker).toBool())
        return nullptr;
    return new MenuEntryAccessible(action);
}

// Without the '&' that marks the access key, as a screen reader says it.
QString withoutMarks(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&')
            text.remove(i, 1);
    }
    return text;
}

} // namespace

void MenuEntryAccessible::mark(QAction *action)
{
    action->setProperty(Marker, true);
}

void MenuEntryAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(entryFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

MenuEntryAccessible::MenuEntryAccessible(QAction *action) : m_action(action) {}

QWidget *MenuEntryAccessible::owner() const
{
    if (!m_action)
        return nullptr;
    for (QObject *o : m_action->associatedObjects()) {
        auto *w = qobject_cast<QWidget *>(o);
        if ((qobject_cast<QMenu *>(w) && w != m_action->menu()) || qobject_cast<QMenuBar *>(w))
            return w;
    }
    return nullptr;
}

bool MenuEntryAccessible::isValid() const
{
    return m_action && owner();
}

QObject *MenuEntryAccessible::object() const
{
    return m_action;
}

QWindow *MenuEntryAccessible::window() const
{
    QWidget *w = owner();
    return w && w->window() ? w->window()->windowHandle() : nullptr;
}

QAccessibleInterface *MenuEntryAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(owner());
}

QAccessibleInterface *MenuEntryAccessible::child(int index) const
{
    if (index == 0 && m_action && m_action->menu())
        return QAccessible::queryAccessibleInterface(m_action->menu());
    return nullptr;
}

int MenuEntryAccessible::childCount() const
{
    return m_action && m_action->menu() ? 1 : 0;
}

int MenuEntryAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && m_action && child->object() == m_action->menu() ? 0 : -1;
}

QAccessibleInterface *MenuEntryAccessible::childAt(int, int) const
{
    return nullptr;
}

QAccessibleInterface *MenuEntryAccessible::focusChild() const
{
    return nullptr;
}

QString MenuEntryAccessible::text(QAccessible::Text t) const
{
    if (!m_action)
        return QString();
    switch (t) {
    case QAccessible::Name:
        return withoutMarks(m_action->text());
    case QAccessible::Description:
        return m_action->statusTip();
    case QAccessible::Accelerator:
        return m_action->shortcut().toString(QKeySequence::NativeText);
    default:
        return QString();
    }
}

void MenuEntryAccessible::setText(QAccessible::Text, const QString &) {}

QRect MenuEntryAccessible::rect() const
{
    QWidget *w = owner();
    if (!w)
        return QRect();
    QRect r;
    if (auto *menu = qobject_cast<QMenu *>(w))
        r = menu->actionGeometry(m_action);
    else if (auto *bar = qobject_cast<QMenuBar *>(w))
        r = bar->actionGeometry(m_action);
    return QRect(w->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::Role MenuEntryAccessible::role() const
{
    if (qobject_cast<QMenuBar *>(owner()))
        return QAccessible::MenuItem;
    return m_action && m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State MenuEntryAccessible::state() const
{
    QAccessible::State s;
    QWidget *w = owner();
    if (!m_action || !w) {
        s.invalid = true;
        return s;
    }
    if (!m_action->isVisible() || !w->isVisible())
        s.invisible = true;
    if (!m_action->isEnabled())
        s.disabled = true;
    s.focusable = m_action->isEnabled();
    QAction *active = nullptr;
    if (auto *menu = qobject_cast<QMenu *>(w))
        active = menu->activeAction();
    else if (auto *bar = qobject_cast<QMenuBar *>(w))
        active = bar->activeAction();
    if (active == m_action) {
        s.focused = w->hasFocus() || qobject_cast<QMenu *>(w);
        s.hotTracked = true;
    }
    if (m_action->menu())
        s.hasPopup = true;
    if (m_action->isCheckable()) {
        s.checkable = true;
        s.checked = m_action->isChecked();
    }
    return s;
}

void *MenuEntryAccessible::interface_cast(QAccessible::InterfaceType t)
{
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                             : nullptr;
}

QStringList MenuEntryAccessible::actionNames() const
{
    if (!m_action || !m_action->isEnabled())
        return {};
    return {m_action->menu() ? showMenuAction() : pressAction()};
}

void MenuEntryAccessible::doAction(const QString &actionName)
{
    if (!m_action || !m_action->isEnabled())
        return;
    QWidget *w = owner();
    if (actionName == pressAction() || actionName == showMenuAction()) {
        if (auto *menu = qobject_cast<QMenu *>(w)) {
            if (m_action->menu())
                menu->setActiveAction(m_action);
            else
                m_action->trigger();
        } else if (auto *bar = qobject_cast<QMenuBar *>(w)) {
            bar->setActiveAction(m_action);
        }
    }
}

QStringList MenuEntryAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}
