// SPDX-License-Identifier: GPL-3.0-or-later
#include "SuspiciousRecords.h"

#include "Accounts.h"
#include "AdminSettings.h"
#include "CodePage.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"

#include <QDir>
#include <QFileInfo>
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

void scanIni(const QByteArray &ini, QList<SuspiciousRecords::Finding> *out)
{
    QHash<QByteArray, QByteArray> firstSpelling;
    qsizetype lineNo = 0;
    qsizetype nulLine = 0;
    for (qsizetype start = 0; start < ini.size();) {
        qsizetype end = start;
        while (end < ini.size() && ini[end] != '\r' && ini[end] != '\n')
            ++end;
        ++lineNo;
        const QByteArray line = ini.mid(start, end - start);
        if (nulLine == 0 && line.contains('\0'))
            nulLine = lineNo;
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            const QByteArray name =
                (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
            if (close < 0)
                out->append({SuspiciousRecords::Kind::OpenHeader, name, 0, lineNo,
                             QStringLiteral("users.ini, строка %1: заголовок раздела «%2» без "
                                            "«]» открывает раздел, который скрывает следующие")
                                 .arg(lineNo)
                                 .arg(shown(name))});
            if (nulLine != 0)
                out->append({SuspiciousRecords::Kind::NulByte, name, 0, lineNo,
                             QStringLiteral("users.ini, строка %1: раздел «%2» стоит после "
                                            "нулевого байта (строка %3)")
                                 .arg(lineNo)
                                 .arg(shown(name))
                                 .arg(nulLine)});
            const QByteArray folded = CodePage::fold(name);
            const auto first = firstSpelling.constFind(folded);
            if (first == firstSpelling.constEnd())
                firstSpelling.insert(folded, name);
            else
                out->append({SuspiciousRecords::Kind::CaseTwin, name, 0, lineNo,
                             QStringLiteral("users.ini, строка %1: раздел «%2» повторяет "
                                            "раздел «%3» с точностью до регистра букв")
                                 .arg(lineNo)
                                 .arg(shown(name), shown(*first))});
        }
        if (end < ini.size() && ini[end] == '\r' && end + 1 < ini.size() && ini[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

} // namespace

SuspiciousRecords SuspiciousRecords::find(const QByteArray &usersIni, const ClassRecords &records,
                                          const TestLogReader &log, const QByteArray &adminLogin,
                                          const QDate &today)
{
    SuspiciousRecords result;
    scanIni(usersIni, &result.findings);

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

SuspiciousRecords SuspiciousRecords::read(const ClassRecords &records, const TestLogReader &log)
{
    QByteArray ini;
    try {
        ini = TextFile::read(Paths::resolve(Accounts::UsersIni));
    } catch (const RuntimeError &) {
        // The report names the unread file already.
    }
    QByteArray adminLogin;
    try {
        adminLogin = AdminSettings::read().login;
    } catch (const RuntimeError &) {
    }
    // No log yet means no run at all, which every grade above registration's
    // contradicts; a log that is there but unreadable proves nothing.
    const bool noLogYet = !log.failure.isEmpty() && !log.path.isEmpty() &&
                          !QFileInfo::exists(QDir::fromNativeSeparators(log.path));
    return find(ini, records, noLogYet ? TestLogReader() : log, adminLogin, QDate::currentDate());
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
