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
    const QByteArray stored = CodePage::fromUnicode(name);
    if (CodePage::toUnicode(stored) != name)
        throw RuntimeError(
            QStringLiteral("имя «%1» нельзя записать в кодировке Windows-1251").arg(name));
    return stored;
}
