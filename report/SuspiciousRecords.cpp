// SPDX-License-Identifier: GPL-3.0-or-later
#include "SuspiciousRecords.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "RuntimeError.h"

#include <QHash>
#include <QSet>

const QString SuspiciousRecords::Title = QStringLiteral("Сомнительные записи");

namespace {

QString shown(const QByteArray &name)
{
    return CodePage::toUnicode(name);
}

// What registration stores before any run: 1 for test1, 0 for the others.
int registered(int k)
{
    return k == 1 ? 1 : 0;
}

SuspiciousRecords::Kind kindOf(ClassStore::Finding::Kind kind)
{
    switch (kind) {
    case ClassStore::Finding::Kind::CaseTwin:
        return SuspiciousRecords::Kind::CaseTwin;
    case ClassStore::Finding::Kind::OpenHeader:
        return SuspiciousRecords::Kind::OpenHeader;
    case ClassStore::Finding::Kind::NulByte:
        break;
    }
    return SuspiciousRecords::Kind::NulByte;
}

} // namespace

SuspiciousRecords SuspiciousRecords::find(const ClassRecords &records, const TestLogReader &log,
                                          const QByteArray &adminLogin, const QDate &today)
{
    SuspiciousRecords result;
    for (const ClassStore::Finding &f : records.storeFindings)
        result.findings.append({kindOf(f.kind), f.user, 0, f.line, f.text});

    if (log.failure.isEmpty()) {
        QSet<QPair<QByteArray, int>> ran;
        for (const TestLogReader::Run &run : log.runs)
            ran.insert({CodePage::fold(run.user.trimmed()), run.test});
        for (const ClassRecords::User &user : records.users) {
            for (int k = 1; k <= ClassRecords::Tests; ++k) {
                const auto &grade = user.grades[k - 1];
                if (!grade || *grade <= registered(k) ||
                    ran.contains({CodePage::fold(user.name.trimmed()), k}))
                    continue;
                result.findings.append(
                    {Kind::GradeWithoutRun, user.name, k, 0,
                     QStringLiteral("%1: оценка %2 за test%3, но в журнале нет ни одного "
                                    "законченного теста test%3 этого пользователя")
                         .arg(shown(user.name))
                         .arg(*grade)
                         .arg(k)});
            }
        }
        // The latest moment of the lines above; a line whose time cannot be
        // read is judged by its date alone.
        QDate previous;
        QTime previousTime;
        for (const TestLogReader::Run &run : log.runs) {
            if (!run.date.isValid())
                continue;
            const bool earlierDay = previous.isValid() && run.date < previous;
            const bool earlierTime = run.date == previous && run.time.isValid() &&
                                     previousTime.isValid() && run.time < previousTime;
            if (run.date > today)
                result.findings.append({Kind::FutureLine, run.user, run.test, run.line,
                                        QStringLiteral("журнал, строка %1 (%2): дата %3 ещё "
                                                       "не наступила")
                                            .arg(run.line)
                                            .arg(shown(run.user), shown(run.dateText))});
            else if (earlierDay)
                result.findings.append({Kind::OutOfOrder, run.user, run.test, run.line,
                                        QStringLiteral("журнал, строка %1 (%2): дата %3 "
                                                       "раньше даты строки выше")
                                            .arg(run.line)
                                            .arg(shown(run.user), shown(run.dateText))});
            else if (earlierTime)
                result.findings.append(
                    {Kind::OutOfOrder, run.user, run.test, run.line,
                     QStringLiteral("журнал, строка %1 (%2): время %3 %4 "
                                    "раньше времени строки выше")
                         .arg(run.line)
                         .arg(shown(run.user), shown(run.dateText), shown(run.timeText))});
            if (!previous.isValid() || run.date > previous) {
                previous = run.date;
                previousTime = run.time;
            } else if (run.date == previous && run.time.isValid() &&
                       (!previousTime.isValid() || run.time > previousTime)) {
                previousTime = run.time;
            }
        }
    }

    if (!adminLogin.isEmpty()) {
        const QByteArray folded = CodePage::fold(adminLogin);
        for (const ClassRecords::User &user : records.users) {
            if (user.hasRecord && CodePage::fold(user.name.trimmed()) == folded) {
                result.findings.append(
                    {Kind::AdminIsUser, user.name, 0, 0,
                     QStringLiteral("логин администратора «%1» в файле настроек — имя "
                                    "зарегистрированного пользователя «%2»")
                         .arg(shown(adminLogin), shown(user.name))});
                break;
            }
        }
    }
    return result;
}

SuspiciousRecords SuspiciousRecords::read(const ClassStore &store, const ClassRecords &records,
                                          const TestLogReader &log)
{
    QByteArray adminLogin;
    try {
        adminLogin = store.settings().login;
    } catch (const RuntimeError &) {
        // The report names the unread settings already.
    }
    // No log yet means no run at all, which every grade above registration's
    // contradicts; a log that is there but unreadable proves nothing.
    const bool noLogYet = !log.failure.isEmpty() && log.missing;
    return find(records, noLogYet ? TestLogReader() : log, adminLogin, QDate::currentDate());
}

QString SuspiciousRecords::aboutUser(const QByteArray &user) const
{
    QStringList texts;
    const QByteArray folded = CodePage::fold(user.trimmed());
    for (const Finding &f : findings) {
        if (!f.user.isEmpty() && CodePage::fold(f.user.trimmed()) == folded)
            texts.append(f.text);
    }
    return texts.join(QStringLiteral("; "));
}
