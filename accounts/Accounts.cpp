// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "FileLock.h"
#include "IniDocument.h"
#include "IniProfile.h"
#include "IniUpdate.h"
#include "IntegerText.h"
#include "IoError.h"
#include "Paths.h"
#include "RemovedUsers.h"
#include "RuntimeError.h"
#include "Store.h"
#include "UserList.h"

#include <algorithm>

const QByteArray Accounts::UsersIni = QByteArrayLiteral("\\users.ini");

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool hasControl(const QByteArray &text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x20; });
}

// users.ini missing while the list names users has lost its records on the
// way, and a registration would write a file holding the new user alone: it
// is refused, the list left as it is, until the file is back. A new file
// that a replacement left beside it is the file.
void refuseLostRecords(const QString &ini, const IniUpdate &users)
{
    if (!users.existed() && UserList::exists() && !UserList::load().isEmpty())
        throw IoError::unableToWrite(ini);
}

} // namespace

QByteArray Accounts::testKey(int k)
{
    return ClassStore::testName(k);
}

Accounts::Refusal Accounts::checkRegistration(const QByteArray &name, const QByteArray &adminLogin)
{
    const Refusal refusal = checkName(name, adminLogin);
    if (refusal != Refusal::None)
        return refusal;
    if (IniProfile::hasSection(Paths::resolve(UsersIni), name))
        return Refusal::AlreadyRegistered;
    return Refusal::None;
}

Accounts::Refusal Accounts::checkName(const QByteArray &name, const QByteArray &adminLogin)
{
    if (name.isEmpty())
        return Refusal::EmptyName;
    // A control character would break the list's lines or the tool's columns.
    if (name.contains('[') || name.contains(']') || isBlank(name.front()) || isBlank(name.back()) ||
        hasControl(name))
        return Refusal::UnstorableName;
    if (!adminLogin.isEmpty() && name == adminLogin)
        return Refusal::AdministratorName;
    return Refusal::None;
}

Accounts::Refusal Accounts::checkPassword(const QByteArray &password)
{
    if (password == Store::missing())
        return Refusal::MissingMarkerPassword;
    if (password.size() > IniProfile::MaxValueLength)
        return Refusal::LongPassword;
    if (!IniDocument::canStore("u", "password", Store::encode(password)))
        return Refusal::UnstorablePassword;
    return Refusal::None;
}

Accounts::Refusal Accounts::checkSpelling(const QString &name, const QString &password)
{
    return ClassStore::spellingRefusal(name, password);
}

QByteArray Accounts::refusalText(Refusal refusal)
{
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::EmptyName:
        return CodePage::fromUnicode(QStringLiteral("Введите имя пользователя."));
    case Refusal::UnstorableName:
        return CodePage::fromUnicode(
            QStringLiteral("Имя пользователя не может содержать квадратные скобки и управляющие "
                           "знаки и начинаться или заканчиваться пробелом."));
    case Refusal::ForeignLetters:
        return CodePage::fromUnicode(QStringLiteral(
            "Имя пользователя содержит знаки, которые нельзя сохранить. Используйте русские "
            "и латинские буквы, цифры и обычные знаки."));
    case Refusal::AlreadyRegistered:
        return CodePage::fromUnicode(
            QStringLiteral("Пользователь с таким именем уже зарегистрирован."));
    case Refusal::AdministratorName:
        return CodePage::fromUnicode(
            QStringLiteral("Это имя занято администратором. Выберите другое имя."));
    case Refusal::MissingMarkerPassword:
        return CodePage::fromUnicode(
            QStringLiteral("Пароль \"%1\" нельзя использовать: программа прочтёт его как "
                           "отсутствующий. Выберите другой пароль.")
                .arg(CodePage::toUnicode(Store::missing())));
    case Refusal::LongPassword:
        return CodePage::fromUnicode(
            QStringLiteral("Пароль слишком длинный: в нём может быть не больше %1 знаков.")
                .arg(IniProfile::MaxValueLength));
    case Refusal::ForeignPasswordLetters:
        return CodePage::fromUnicode(QStringLiteral(
            "Пароль содержит знаки, которые нельзя сохранить. Используйте русские и латинские "
            "буквы, цифры и обычные знаки."));
    case Refusal::UnstorablePassword:
        return CodePage::fromUnicode(
            QStringLiteral("Пароль содержит управляющий знак, который нельзя сохранить. "
                           "Выберите другой пароль."));
    }
    return QByteArray();
}

Accounts::Registration Accounts::registerUser(const QByteArray &name, const QByteArray &password,
                                              const QByteArray &adminLogin)
{
    Registration result;
    result.refusal = checkPassword(password);
    if (result.refusal != Refusal::None)
        return result;
    const QString ini = Store::writePath(UsersIni);
    // users.ini is read once under its lock: the check and the write go by
    // those bytes, and no other copy can change them meanwhile.
    IniUpdate users(ini);
    const UserList::Lock listLock;
    refuseLostRecords(ini, users);
    // Checked again under the locks: another copy may have registered the
    // name since the window's check.
    result.refusal = checkName(name, adminLogin);
    if (result.refusal == Refusal::None && IniDocument::containsSection(users.bytes(), name))
        result.refusal = Refusal::AlreadyRegistered;
    if (result.refusal != Refusal::None)
        return result;
    IniProfile::checkWritable(ini);
    UserList::checkWritable();

    QList<IniProfile::Entry> entries{{name, "password", Store::encode(password)},
                                     {name, testKey(1), Store::encode("1")}};
    for (int k = 2; k <= TestCount; ++k)
        entries.append({name, testKey(k), Store::encode("0")});
    users.write(entries);
    try {
        result.list = UserList::add(name);
    } catch (...) {
        try {
            Store::eraseSection(name, UsersIni);
        } catch (const RuntimeError &) {
            // The list's failure is the one to report.
        }
        throw;
    }
    return result;
}

std::optional<QByteArray> Accounts::storedPassword(const QByteArray &name)
{
    const QByteArray stored = Store::read(name, "password", UsersIni);
    if (stored == Store::missing())
        return std::nullopt;
    return stored;
}

bool Accounts::passwordMatches(const QByteArray &name, const QByteArray &password)
{
    const std::optional<QByteArray> stored = storedPassword(name);
    return stored && *stored == password;
}

quint8 Accounts::readGrade(const QByteArray &name, int k)
{
    return quint8(IntegerText::parse(Store::read(name, testKey(k), UsersIni)) & 0xFF);
}

QList<QByteArray> Accounts::removeUser(const QByteArray &name)
{
    const FileLock lock(Paths::resolve(UsersIni));
    // Kept before it goes: a removal that cannot keep the grades removes nothing.
    RemovedUsers::keep(name);
    Store::eraseSection(name, UsersIni);
    return UserList::remove(name);
}

bool Accounts::writeScores(const QByteArray &name, const Scores &scores)
{
    const QString ini = Store::writePath(UsersIni);
    const FileLock lock(ini);
    // A file that cannot be written says so; only a readable file without the
    // section tells of a removed user.
    IniProfile::checkWritable(ini);
    if (!IniProfile::hasSection(ini, name))
        return false;
    QList<IniProfile::Entry> entries;
    for (int k = 1; k <= TestCount; ++k)
        entries.append({name, testKey(k), QByteArray::number(scores[k - 1])});
    Store::writeMany(entries, UsersIni);
    return true;
}
