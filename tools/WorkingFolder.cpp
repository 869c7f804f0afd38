// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkingFolder.h"

#include "AdminLogin.h"
#include "ClassServer.h"
#include "CodePage.h"
#include "Console.h"
#include "CourseFolder.h"
#include "FolderStore.h"
#include "PasswordPrompt.h"
#include "RuntimeError.h"
#include "ServerStore.h"

#include <QDir>

void WorkingFolder::enter(const QString &folder)
{
    if (!QDir(folder).exists() || !QDir::setCurrent(folder))
        throw RuntimeError(
            QStringLiteral("папка недоступна: %1").arg(QDir::toNativeSeparators(folder)));
    AdminLogin::check();
}

QByteArray WorkingFolder::storedName(const QString &name)
{
    if (!CodePage::canSpell(name))
        throw RuntimeError(
            QStringLiteral("имя «%1» нельзя записать в кодировке Windows-1251").arg(name));
    return CodePage::fromUnicode(name);
}

void WorkingFolder::enterClassFolder(const QString &given)
{
    const QString folder = given.isEmpty() ? CourseFolder::systemClassFolder() : given;
    if (folder.isEmpty()) {
        AdminLogin::check();
        return;
    }
    // A folder given may be a new class folder without its course yet; the
    // lab's class folder must hold one, as the program requires.
    const bool needCourse = given.isEmpty();
    CourseFolder::Reach reach = CourseFolder::reach(folder, needCourse);
    // Only a person at a terminal is asked; a script is told and may mount
    // the share itself first.
    if (reach.needsLogin && PasswordPrompt::fromTerminal()) {
        Console::warning(QStringLiteral("общая папка «%1» открыта только по имени пользователя "
                                        "и паролю")
                             .arg(folder));
        ShareAddress::Login login;
        login.user = PasswordPrompt::typedOnce(QStringLiteral("Пользователь: "), true);
        login.domain =
            PasswordPrompt::typedOnce(QStringLiteral("Домен (Enter - домен сервера): "), true);
        login.password = PasswordPrompt::typedOnce(QStringLiteral("Пароль: "), false);
        reach = CourseFolder::reach(folder, needCourse, login);
    }
    if (!reach.problem.isEmpty())
        throw Unreachable((given.isEmpty() ? QStringLiteral("папка класса «%1» недоступна: %2")
                                           : QStringLiteral("папка «%1» недоступна: %2"))
                              .arg(QDir::toNativeSeparators(folder), reach.problem));
    if (!QDir::setCurrent(reach.local))
        throw Unreachable(
            QStringLiteral("папка недоступна: %1").arg(QDir::toNativeSeparators(reach.local)));
    AdminLogin::check();
}

std::unique_ptr<ClassStore> WorkingFolder::openClass(const QString &given)
{
    if (const QString server = ClassServer::chosen(given); !server.isEmpty())
        return ClassServer::open(server);
    enterClassFolder(given);
    return std::make_unique<FolderStore>(QDir::currentPath());
}

QByteArray WorkingFolder::adminLogin(ClassStore &store)
{
    try {
        return store.readSettings().login;
    } catch (const RuntimeError &e) {
        Console::warning(
            QStringLiteral("настройки администратора не прочитаны (%1)").arg(e.message()));
        return {};
    }
}
