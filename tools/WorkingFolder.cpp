#include "WorkingFolder.h"

#include "AdminSettings.h"
#include "CodePage.h"
#include "Console.h"
#include "CourseFolder.h"
#include "RuntimeError.h"

#include <QDir>

void WorkingFolder::enter(const QString &folder)
{
    if (!QDir(folder).exists() || !QDir::setCurrent(folder))
        throw RuntimeError(
            QStringLiteral("папка недоступна: %1").arg(QDir::toNativeSeparators(folder)));
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
    if (folder.isEmpty())
        return;
    QString local;
    // A folder given may be a new class folder without its course yet; the
    // lab's class folder must hold one, as the program requires.
    const QString why = CourseFolder::problem(folder, &local, given.isEmpty());
    if (!why.isEmpty())
        throw Unreachable((given.isEmpty() ? QStringLiteral("папка класса «%1» недоступна: %2")
                                           : QStringLiteral("папка «%1» недоступна: %2"))
                              .arg(QDir::toNativeSeparators(folder), why));
    if (!QDir::setCurrent(local))
        throw Unreachable(
            QStringLiteral("папка недоступна: %1").arg(QDir::toNativeSeparators(local)));
}

QByteArray WorkingFolder::adminLogin()
{
    try {
        return AdminSettings::read().login;
    } catch (const RuntimeError &e) {
        Console::warning(
            QStringLiteral("настройки администратора не прочитаны (%1)").arg(e.message()));
        return {};
    }
}
