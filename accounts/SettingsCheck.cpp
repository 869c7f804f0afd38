// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsCheck.h"

#include "ClassStore.h"
#include "CodePage.h"

SettingsCheck::Verdict SettingsCheck::check(const ClassStore &store, const ClassSettings &edited)
{
    if (edited.login.isEmpty())
        return Verdict::EmptyLogin;
    if (edited.logName.isEmpty())
        return Verdict::EmptyLogName;
    if (!store.logNameRefusal(edited.logName).isEmpty())
        return Verdict::LogNameOutside;
    if (store.isRegistered(edited.login))
        return Verdict::LoginIsUser;
    return Verdict::Fine;
}

bool SettingsCheck::refuses(Verdict verdict)
{
    return verdict == Verdict::EmptyLogin || verdict == Verdict::EmptyLogName ||
           verdict == Verdict::LogNameOutside;
}

QByteArray SettingsCheck::text(const ClassStore &store, Verdict verdict,
                               const ClassSettings &edited)
{
    switch (verdict) {
    case Verdict::Fine:
        break;
    case Verdict::EmptyLogin:
        return CodePage::fromUnicode(
            QStringLiteral("Введите имя администратора: без него никто не сможет войти "
                           "как администратор."));
    case Verdict::EmptyLogName:
        return CodePage::fromUnicode(QStringLiteral("Введите имя файла протокола тестирования."));
    case Verdict::LogNameOutside:
        return store.logNameRefusal(edited.logName);
    case Verdict::LoginIsUser:
        return CodePage::fromUnicode(QStringLiteral("Пользователь с именем \"")) + edited.login +
               CodePage::fromUnicode(QStringLiteral(
                   "\" зарегистрирован. Если сделать это имя именем администратора, этот "
                   "пользователь больше не сможет войти. Сохранить настройки?"));
    }
    return QByteArray();
}
