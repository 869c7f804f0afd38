// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserAdmin.h"

#include "CodePage.h"
#include "FileLock.h"
#include "IniProfile.h"
#include "IoError.h"
#include "Paths.h"
#include "RemovedUsers.h"
#include "SectionText.h"
#include "Store.h"
#include "TextFile.h"
#include "UserList.h"
#include "UserRecords.h"

#include <QFileInfo>

#include <algorithm>

namespace {

QByteArray readIfThere(const QString &path)
{
    return QFileInfo::exists(path) ? TextFile::read(path) : QByteArray();
}

bool listed(const QList<QByteArray> &names, const QByteArray &name)
{
    return std::any_of(names.begin(), names.end(), [&name](const QByteArray &n) {
        return CodePage::equalsIgnoreCase(n, name);
    });
}

UserAdmin::Result refused(Accounts::Refusal refusal)
{
    return UserChange::refused(refusal);
}

UserAdmin::Result problem(UserAdmin::Problem p)
{
    return UserChange::failed(p);
}

} // namespace

UserAdmin::Result UserAdmin::setPassword(const QByteArray &name, const QByteArray &password)
{
    const Accounts::Refusal refusal = Accounts::checkPassword(password);
    if (refusal != Accounts::Refusal::None)
        return refused(refusal);
    const QString ini = Store::writePath(Accounts::UsersIni);
    const FileLock lock(ini);
    const SectionText::Span span = SectionText::first(readIfThere(ini), name);
    if (!span.found())
        return problem(Problem::NotRegistered);
    IniProfile::checkWritable(ini);
    Store::writeMany({{span.name, "password", password}}, Accounts::UsersIni);
    Result r;
    r.name = span.name;
    return r;
}

UserAdmin::Result UserAdmin::rename(const QByteArray &from, const QByteArray &to,
                                    const QByteArray &adminLogin, const QByteArray &logName)
{
    const QString ini = Store::writePath(Accounts::UsersIni);
    const FileLock iniLock(ini);
    const UserList::Lock listLock;
    const QByteArray users = readIfThere(ini);
    const SectionText::Span span = SectionText::first(users, from);
    if (!span.found())
        return problem(Problem::NotRegistered);
    Accounts::Refusal refusal = Accounts::checkRegistration(to, adminLogin);
    // Only another letter case of the user's own name is no one else's.
    if (refusal == Accounts::Refusal::AlreadyRegistered &&
        CodePage::equalsIgnoreCase(to, span.name))
        refusal = Accounts::Refusal::None;
    if (refusal != Accounts::Refusal::None)
        return refused(refusal);

    IniProfile::checkWritable(ini);
    UserList::checkWritable();
    QString refusedFile;
    if (!UserRecords::canRename(logName, &refusedFile))
        throw IoError::inOut(refusedFile, TextFile::diagnose(refusedFile, true));
    UserRecords::checkReadable(logName);

    TextFile::replace(ini, SectionText::renamed(users, span, to));
    if (UserList::exists()) {
        QList<QByteArray> names = UserList::load();
        for (QByteArray &n : names) {
            if (CodePage::equalsIgnoreCase(n, span.name)) {
                n = to;
                break;
            }
        }
        UserList::save(names);
    }
    const UserRecords::Renaming renaming = UserRecords::rename(logName, span.name, to);
    Result r;
    r.name = span.name;
    r.logLines = renaming.logLines;
    r.answerLines = renaming.answerLines;
    return r;
}

UserAdmin::Result UserAdmin::restore(const QByteArray &name, const QByteArray &adminLogin,
                                     const QByteArray &removed, Over over)
{
    const QString ini = Store::writePath(Accounts::UsersIni);
    const FileLock iniLock(ini);
    const UserList::Lock listLock;
    const QList<RemovedUsers::Kept> all = RemovedUsers::allKept(name);
    if (all.isEmpty())
        return problem(Problem::NothingKept);
    QList<RemovedUsers::Kept> picked;
    for (const RemovedUsers::Kept &k : all) {
        if (k.removedText().startsWith(removed))
            picked.append(k);
    }
    if (picked.isEmpty())
        return problem(Problem::NoSuchRemoval);
    if (picked.size() > 1)
        return problem(Problem::ManyKept);
    const QByteArray kept = picked[0].section;
    const QByteArray stored = SectionText::all(kept).value(0).name;
    const QByteArray users = readIfThere(ini);
    if (!adminLogin.isEmpty() && CodePage::fold(stored) == CodePage::fold(adminLogin))
        return refused(Accounts::Refusal::AdministratorName);
    const SectionText::Span again = SectionText::first(users, stored);
    if (again.found() && over == Over::Ask)
        return problem(Problem::RegisteredAgain);

    IniProfile::checkWritable(ini);
    UserList::checkWritable();
    if (again.found() && over == Over::KeepBest) {
        const QList<int> now =
            RemovedUsers::gradesOf(users.mid(again.begin, again.end - again.begin));
        QList<IniProfile::Entry> better;
        for (int k = 1; k <= picked[0].grades.size(); ++k) {
            if (picked[0].grades[k - 1] > now.value(k - 1))
                better.append({again.name, Accounts::testKey(k),
                               QByteArray::number(picked[0].grades[k - 1])});
        }
        if (!better.isEmpty())
            Store::writeMany(better, Accounts::UsersIni);
    } else if (again.found()) {
        // The account it replaces is kept in turn, so no grade is lost.
        RemovedUsers::keep(again.name);
        TextFile::replace(ini, users.first(again.begin) + kept + users.mid(again.end));
    } else {
        TextFile::replace(ini, SectionText::appended(users, kept));
    }
    const QList<QByteArray> names = UserList::exists() ? UserList::load() : QList<QByteArray>();
    if (!listed(names, stored))
        UserList::add(stored);
    Result r;
    r.name = stored;
    return r;
}
