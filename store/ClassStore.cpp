// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassStore.h"

#include "CodePage.h"

#include <algorithm>

ClassStore::~ClassStore() = default;

ClassStore::Registration ClassStore::registerTyped(const QString &name, const QString &password,
                                                   const QByteArray &adminLogin)
{
    Registration result;
    result.refusal = spellingRefusal(name, password);
    if (result.refusal != Refusal::None)
        return result;
    return registerUser(CodePage::fromUnicode(name), CodePage::fromUnicode(password), adminLogin);
}

Refusal ClassStore::spellingRefusal(const QString &name, const QString &password)
{
    if (!CodePage::canSpell(name))
        return Refusal::ForeignLetters;
    if (!CodePage::canSpell(password))
        return Refusal::ForeignPasswordLetters;
    return Refusal::None;
}

bool ClassStore::passwordMatches(const QByteArray &name, const QByteArray &password) const
{
    const std::optional<QByteArray> stored = storedPassword(name);
    return stored && *stored == password;
}

UserChange ClassStore::setTypedPassword(const QByteArray &name, const QString &password)
{
    const Refusal refusal = spellingRefusal(QString(), password);
    if (refusal != Refusal::None)
        return UserChange::refused(refusal);
    return setPassword(name, CodePage::fromUnicode(password));
}

UserChange ClassStore::renameTyped(const QByteArray &from, const QString &to,
                                   const QByteArray &adminLogin)
{
    const Refusal refusal = spellingRefusal(to, QString());
    if (refusal != Refusal::None)
        return UserChange::refused(refusal);
    return rename(from, CodePage::fromUnicode(to), adminLogin);
}

QByteArray ClassStore::Removal::whenText() const
{
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1()
                          : QByteArray("?");
}

bool ClassStore::isListed(const QByteArray &name) const
{
    const QList<QByteArray> names = users();
    return std::any_of(names.begin(), names.end(), [&name](const QByteArray &listed) {
        return CodePage::equalsIgnoreCase(listed, name);
    });
}

QByteArray ClassStore::problemText(const UserChange &change, const QByteArray &typedName) const
{
    switch (change.problem) {
    case UserChange::Problem::None:
        break;
    case UserChange::Problem::NotRegistered:
        return CodePage::fromUnicode(QStringLiteral("Пользователь %1 не зарегистрирован.")
                                         .arg(CodePage::toUnicode(typedName)));
    case UserChange::Problem::NothingKept:
        return CodePage::fromUnicode(QStringLiteral("Пользователь %1 не найден среди удалённых.")
                                         .arg(CodePage::toUnicode(typedName)));
    case UserChange::Problem::Refused:
        return refusalText(change.refusal);
    case UserChange::Problem::ManyKept:
        return CodePage::fromUnicode(
            QStringLiteral("Пользователь %1 удалялся несколько раз; выберите удаление по дате "
                           "(--date), список: restore --list %1.")
                .arg(CodePage::toUnicode(typedName)));
    case UserChange::Problem::NoSuchRemoval:
        return CodePage::fromUnicode(
            QStringLiteral("Пользователь %1 не удалялся в это время; список: restore --list %1.")
                .arg(CodePage::toUnicode(typedName)));
    case UserChange::Problem::RegisteredAgain:
        return CodePage::fromUnicode(
            QStringLiteral("Пользователь %1 зарегистрирован снова. Заменить новую запись "
                           "сохранённой (--replace) или оставить новую с лучшей из двух оценок "
                           "каждого теста (--keep-best)?")
                .arg(CodePage::toUnicode(typedName)));
    }
    return QByteArray();
}
