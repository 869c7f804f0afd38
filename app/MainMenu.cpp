// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainMenu.h"

#include "AccessKeys.h"
#include "MenuKeyboard.h"
#include "UnlockTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>

using namespace Qt::Literals::StringLiterals;

namespace {

QStyle::StandardPixmap pictureFor(const MenuTree::Entry &entry)
{
    switch (entry.kind) {
    case MenuTree::Kind::Group:
        return QStyle::SP_DirIcon;
    case MenuTree::Kind::Page:
        return QStyle::SP_FileIcon;
    case MenuTree::Kind::Presentation:
        return QStyle::SP_MediaPlay;
    case MenuTree::Kind::Test:
        return QStyle::SP_DialogApplyButton;
    case MenuTree::Kind::Operation:
        break;
    }
    if (entry.name == u"N17"_s)
        return QStyle::SP_ArrowBack;
    if (entry.name == u"N26"_s || entry.name == u"N15"_s)
        return QStyle::SP_MessageBoxInformation;
    if (entry.name == u"Ni"_s || entry.name == u"N30"_s)
        return QStyle::SP_FileDialogDetailedView;
    return QStyle::SP_ComputerIcon;
}

} // namespace

MainMenu::MainMenu(QMainWindow *window) : QObject(window), m_bar(new QMenuBar(window))
{
    m_bar->setObjectName(u"MainMenu1"_s);
    window->setMenuBar(m_bar);
    addLevel(QString(), m_bar);
    MenuKeyboard::attach(m_bar);
}

void MainMenu::addLevel(const QString &parent, QWidget *container)
{
    const QList<MenuTree::Entry> level = MenuTree::children(parent);
    QStringList captions;
    for (const MenuTree::Entry &entry : level)
        captions.append(entry.caption);
    const QStringList marked = AccessKeys::assign(captions);

    for (qsizetype i = 0; i < level.size(); ++i) {
        const MenuTree::Entry &entry = level.at(i);
        QAction *action = nullptr;
        if (entry.kind == MenuTree::Kind::Group) {
            auto *menu = new QMenu(marked.at(i), container);
            menu->setObjectName(entry.name);
            action = menu->menuAction();
            m_groups.insert(entry.name.toLower(), menu);
            addLevel(entry.name, menu);
        } else {
            action = new QAction(marked.at(i), container);
            connect(action, &QAction::triggered, this, [this, entry] { emit chosen(entry); });
        }
        action->setObjectName(entry.name);
        if (entry.hasPicture())
            action->setIcon(m_bar->style()->standardIcon(pictureFor(entry)));
        action->setVisible(entry.visible);
        action->setEnabled(true);
        container->addAction(action);
        m_entries.insert(entry.name.toLower(), action);
    }
}

QAction *MainMenu::entry(const QString &name) const
{
    return m_entries.value(name.toLower());
}

QMenu *MainMenu::group(const QString &name) const
{
    return m_groups.value(name.toLower());
}

void MainMenu::setVisible(std::initializer_list<const char *> names, bool visible)
{
    for (const char *name : names)
        entry(QString::fromLatin1(name))->setVisible(visible);
}

void MainMenu::enableRow(const QByteArray &testName, bool flag)
{
    for (const QByteArray &name : UnlockTable::entries(testName)) {
        if (QAction *action = entry(QString::fromLatin1(name)))
            action->setEnabled(flag);
    }
}
