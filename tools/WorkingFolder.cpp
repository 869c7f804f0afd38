#include "WorkingFolder.h"

#include "CodePage.h"
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
