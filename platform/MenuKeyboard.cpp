// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuKeyboard.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

MenuKeyboard::MenuKeyboard(QStyle *base) : QProxyStyle(base) {}

void MenuKeyboard::attach(QMenuBar *menuBar)
{
    // The proxy draws as the menu bar's own style does; it lives as long as
    // the bar.
    auto *style = new MenuKeyboard(nullptr);
    style->setParent(menuBar);
    for (QMenu *menu : menuBar->findChildren<QMenu *>())
        menu->setStyle(style);

    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), menuBar->window());
    f10->setContext(Qt::WindowShortcut);
    QObject::connect(f10, &QShortcut::activated, menuBar, [menuBar] {
        for (QAction *action : menuBar->actions()) {
            if (action->isVisible() && !action->isSeparator()) {
                menuBar->setFocus(Qt::ShortcutFocusReason);
                menuBar->setActiveAction(action);
                return;
            }
        }
    });
}

int MenuKeyboard::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                            QStyleHintReturn *returnData) const
{
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
