// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainMenu.h"

#include "AccessKeys.h"
#include "MenuEntryAccessible.h"
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
    if (entry.argument == u"back"_s)
        return QStyle::SP_ArrowBack;
    if (entry.argument == u"about"_s || entry.argument == u"author"_s)
        return QStyle::SP_MessageBoxInformation;
    if (entry.argument == u"progress"_s || entry.argument == u"log"_s)
        return QStyle::SP_FileDialogDetailedView;
    return QStyle::SP_ComputerIcon;
}

} // namespace

MainMenu::MainMenu(QMainWindow *window, const CourseStructure &course)
    : QObject(window), m_course(course), m_bar(new QMenuBar(window))
{
    m_bar->setObjectName(u"MainMenu1"_s);
    window->setMenuBar(m_bar);
    MenuEntryAccessible::install();
    addLevel(QString(), m_bar);
    MenuKeyboard::attach(m_bar);
}

void MainMenu::addLevel(const QString &parent, QWidget *container)
{
    const QList<MenuTree::Entry> level = m_course.children(parent);
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
            // A locked entry says which test opens it.
            menu->setToolTipsVisible(true);
            action = menu->menuAction();
            m_groups.insert(entry.name.toLower(), menu);
            addLevel(entry.name, menu);
        } else {
            action = new QAction(marked.at(i), container);
            connect(action, &QAction::triggered, this, [this, entry] { emit chosen(entry); });
        }
        action->setObjectName(entry.name);
        // What may be locked tells a screen reader why it is.
        if (!entry.after.isEmpty())
            MenuEntryAccessible::mark(action);
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

void MainMenu::showRole(MenuTree::Role role)
{
    m_role = role;
    for (const MenuTree::Entry &e : m_course.entries()) {
        if (QAction *action = entry(e.name))
            action->setVisible(e.visibleFor(role));
    }
}

void MainMenu::setTestRunning(bool running)
{
    for (const MenuTree::Entry &e : m_course.entries()) {
        if (!e.hideDuringTest)
            continue;
        if (QAction *action = entry(e.name))
            action->setVisible(!running);
    }
}

void MainMenu::setOpen(QAction *action, const MenuTree::Entry &entry, bool open,
                       const QList<QByteArray> &passedTests)
{
    action->setEnabled(open);
    QString why;
    if (!open) {
        QStringList captions;
        for (const QString &test : UnlockTable::missing(entry, passedTests)) {
            const MenuTree::Entry *t = m_course.find(test);
            captions.append(u"«%1»"_s.arg(t ? t->caption : test));
        }
        why =
            (captions.size() == 1 ? u"Откроется после теста %1"_s : u"Откроется после тестов %1"_s)
                .arg(captions.join(u", "_s));
    }
    action->setToolTip(open ? QString() : why);
    action->setStatusTip(why);
    action->setWhatsThis(why);
}

void MainMenu::applyUnlocking(const QList<QByteArray> &passedTests, bool closeOthers)
{
    for (const MenuTree::Entry &e : m_course.entries()) {
        if (e.after.isEmpty())
            continue;
        QAction *action = entry(e.name);
        if (!action)
            continue;
        const bool open = CourseStructure::opens(e, passedTests);
        if (open || closeOthers)
            setOpen(action, e, open, passedTests);
    }
}

void MainMenu::enableRow(const QByteArray &testName, bool flag)
{
    const QList<QByteArray> passed = flag ? QList<QByteArray>{testName} : QList<QByteArray>{};
    for (const QByteArray &name : UnlockTable(m_course).entries(testName)) {
        if (QAction *action = entry(QString::fromLatin1(name)))
            setOpen(action, *m_course.find(QString::fromLatin1(name)), flag, passed);
    }
}
