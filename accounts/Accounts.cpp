#include "Accounts.h"

#include "CodePage.h"
#include "IniProfile.h"
#include "IntegerText.h"
#include "Paths.h"
#include "Store.h"
#include "UserList.h"

const QByteArray Accounts::UsersIni = QByteArrayLiteral("\\users.ini");

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

QByteArray Accounts::testKey(int k)
{
    return "test" + QByteArray::number(k);
}

Accounts::Refusal Accounts::checkRegistration(const QByteArray &name, const QByteArray &adminLogin)
{
    if (name.isEmpty())
        return Refusal::EmptyName;
    if (name.contains('[') || name.contains(']') || isBlank(name.front()) || isBlank(name.back()) ||
        name.contains('\r') || name.contains('\n') || name.contains('\0'))
        return Refusal::UnstorableName;
    if (!adminLogin.isEmpty() && name == adminLogin)
        return Refusal::AdministratorName;
    if (IniProfile::hasSection(Paths::resolve(UsersIni), name))
        return Refusal::AlreadyRegistered;
    return Refusal::None;
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
            QStringLiteral("Имя пользователя не может содержать квадратные скобки и начинаться или "
                           "заканчиваться пробелом."));
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
    }
    return QByteArray();
}

QList<QByteArray> Accounts::registerUser(const QByteArray &name, const QByteArray &password)
{
    Store::writeMany({{name, "password", password}, {name, testKey(1), "1"}}, UsersIni);
    QList<QByteArray> list = UserList::add(name);
    QList<IniProfile::Entry> rest;
    for (int k = 2; k <= TestCount; ++k)
        rest.append({name, testKey(k), "0"});
    Store::writeMany(rest, UsersIni);
    return list;
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
    Store::eraseSection(name, UsersIni);
    return UserList::remove(name);
}

void Accounts::writeScores(const QByteArray &name, const Scores &scores)
{
    QList<IniProfile::Entry> entries;
    for (int k = 1; k <= TestCount; ++k)
        entries.append({name, testKey(k), QByteArray::number(scores[k - 1])});
    Store::writeMany(entries, UsersIni);
}
