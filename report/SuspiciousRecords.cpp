// SPDX-License-Identifier: GPL-3.0-or-later
#include "SuspiciousRecords.h"

#include "AnswerRecord.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "TextLines.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <algorithm>

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
    case ClassStore::Finding::Kind::DuplicateSection:
        return SuspiciousRecords::Kind::DuplicateSection;
    case ClassStore::Finding::Kind::DuplicateKey:
        return SuspiciousRecords::Kind::DuplicateKey;
    case ClassStore::Finding::Kind::NulByte:
        break;
    }
    return SuspiciousRecords::Kind::NulByte;
}

QByteArray runKey(QByteArrayView user, int test, int grade, const QDate &date, const QTime &time)
{
    return CodePage::fold(user.trimmed().toByteArray()) + '\x1f' + QByteArray::number(test) +
           '\x1f' + QByteArray::number(grade) + '\x1f' + date.toString(Qt::ISODate).toLatin1() +
           ' ' + time.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

// The runs the answer records hold, and the moment of the earliest.
struct Recorded
{
    QSet<QByteArray> runs;
    QDateTime began;
};

Recorded recordedRuns(const QByteArray &answerRecords)
{
    Recorded recorded;
    AnswerRecord::Fields fields;
    TextLines::forEach(answerRecords, [&](QByteArrayView line, qsizetype) {
        if (AnswerRecord::split(line, fields) != AnswerRecord::Fault::None)
            return;
        recorded.runs.insert(
            runKey(fields.user, fields.test, fields.grade, fields.date, fields.time));
        const QDateTime at(fields.date, fields.time);
        if (!recorded.began.isValid() || at < recorded.began)
            recorded.began = at;
    });
    return recorded;
}

QString gradesText(unsigned mask)
{
    QStringList grades;
    for (int g = 1; g <= 5; ++g) {
        if (mask & (1u << g))
            grades.append(QString::number(g));
    }
    return grades.join(QStringLiteral(", "));
}

} // namespace

void SuspiciousRecords::add(Finding finding)
{
    qsizetype listed = MaxPerKind;
    if (unlisted[int(finding.kind)] == 0)
        listed = std::count_if(findings.begin(), findings.end(),
                               [&](const Finding &f) { return f.kind == finding.kind; });
    if (listed < MaxPerKind)
        findings.append(std::move(finding));
    else
        ++unlisted[int(finding.kind)];
}

QStringList SuspiciousRecords::unlistedTexts() const
{
    QStringList texts;
    for (int kind = 0; kind < KindCount; ++kind) {
        if (unlisted[kind] == 0)
            continue;
        const auto first = std::find_if(findings.begin(), findings.end(),
                                        [kind](const Finding &f) { return int(f.kind) == kind; });
        texts.append(QStringLiteral("… и ещё %1 таких же, как «%2»")
                         .arg(unlisted[kind])
                         .arg(first == findings.end() ? QString() : first->text));
    }
    return texts;
}

SuspiciousRecords SuspiciousRecords::find(const ClassRecords &records, const TestLogReader &log,
                                          const QByteArray &adminLogin, const QDate &today,
                                          const QByteArray &answerRecords)
{
    SuspiciousRecords result;
    for (const ClassStore::Finding &f : records.storeFindings)
        result.add({kindOf(f.kind), TextLines::kept(f.user), 0, f.line, f.text});

    // A log named and there that cannot be read: the checks against it are
    // not done, and say so. Without settings or a log name there is no log.
    if (!log.failure.isEmpty() && !log.path.isEmpty()) {
        result.add({Kind::LogUnread, QByteArray(), 0, 0,
                    QStringLiteral("%1 — оценки с журналом не сверены").arg(log.failure)});
    } else if (log.failure.isEmpty()) {
        // The grades each user's runs of each test gave, one bit a grade.
        QHash<QPair<QByteArray, int>, unsigned> ran;
        for (const TestLogReader::Run &run : log.runs)
            ran[{CodePage::fold(run.user.trimmed()), run.test}] |= 1u << run.grade;
        for (const ClassRecords::User &user : records.users) {
            for (int k = 1; k <= ClassRecords::Tests; ++k) {
                const auto &grade = user.grades[k - 1];
                if (!grade || *grade <= registered(k))
                    continue;
                const unsigned logged = ran.value({CodePage::fold(user.name.trimmed()), k});
                if (logged == 0)
                    result.add(
                        {Kind::GradeWithoutRun, user.name, k, 0,
                         QStringLiteral("%1: оценка %2 за test%3, но в журнале нет ни одного "
                                        "законченного теста test%3 этого пользователя")
                             .arg(shown(user.name))
                             .arg(*grade)
                             .arg(k)});
                else if (*grade > 5 || !(logged & (1u << *grade)))
                    result.add({Kind::GradeNotLogged, user.name, k, 0,
                                QStringLiteral("%1: оценка %2 за test%3, но в журнале у этого "
                                               "пользователя за test%3 только оценки %4")
                                    .arg(shown(user.name))
                                    .arg(*grade)
                                    .arg(k)
                                    .arg(gradesText(logged))});
            }
        }
        const Recorded recorded = recordedRuns(answerRecords);
        // The latest moment of the lines above; a line whose time cannot be
        // read is judged by its date alone.
        QDate previous;
        QTime previousTime;
        for (const TestLogReader::Run &run : log.runs) {
            if (!run.date.isValid() || !run.time.isValid())
                result.add(
                    {Kind::ImpossibleTime, run.user, run.test, run.line,
                     QStringLiteral("журнал, строка %1 (%2): %3 «%4» не бывает")
                         .arg(run.line)
                         .arg(shown(run.user),
                              run.date.isValid() ? QStringLiteral("время") : QStringLiteral("дата"),
                              shown(run.date.isValid() ? run.timeText : run.dateText))});
            if (!run.date.isValid())
                continue;
            if (recorded.began.isValid() && run.time.isValid() &&
                QDateTime(run.date, run.time) >= recorded.began &&
                !recorded.runs.contains(runKey(run.user, run.test, run.grade, run.date, run.time)))
                result.add(
                    {Kind::RunWithoutRecord, run.user, run.test, run.line,
                     QStringLiteral("журнал, строка %1 (%2): тест test%3 с оценкой %4, "
                                    "но записи его ответов нет, хотя записи ведутся с "
                                    "%5")
                         .arg(run.line)
                         .arg(shown(run.user))
                         .arg(run.test)
                         .arg(run.grade)
                         .arg(recorded.began.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))});
            const bool earlierDay = previous.isValid() && run.date < previous;
            const bool earlierTime = run.date == previous && run.time.isValid() &&
                                     previousTime.isValid() && run.time < previousTime;
            if (run.date > today)
                result.add({Kind::FutureLine, run.user, run.test, run.line,
                            QStringLiteral("журнал, строка %1 (%2): дата %3 ещё "
                                           "не наступила")
                                .arg(run.line)
                                .arg(shown(run.user), shown(run.dateText))});
            else if (earlierDay)
                result.add({Kind::OutOfOrder, run.user, run.test, run.line,
                            QStringLiteral("журнал, строка %1 (%2): дата %3 "
                                           "раньше даты строки выше")
                                .arg(run.line)
                                .arg(shown(run.user), shown(run.dateText))});
            else if (earlierTime)
                result.add({Kind::OutOfOrder, run.user, run.test, run.line,
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
                result.add({Kind::AdminIsUser, user.name, 0, 0,
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
    QByteArray settingsLogName;
    try {
        adminLogin = store.settings().login;
    } catch (const RuntimeError &) {
        // The report names the unread settings already.
    }
    // No log yet means no run at all, which every grade above registration's
    // contradicts; a log that is there but unreadable proves nothing.
    const bool noLogYet = !log.failure.isEmpty() && log.missing;
    QByteArray answers;
    if (log.failure.isEmpty()) {
        // An unread answer record is named by the item analysis.
        const ClassStore::Lines lines = store.answerLines();
        if (lines.failure.isEmpty())
            answers = lines.text;
    }
    return find(records, noLogYet ? TestLogReader() : log, adminLogin, QDate::currentDate(),
                answers);
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
