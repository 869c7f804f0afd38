// SPDX-License-Identifier: GPL-3.0-or-later
#include "GradeChanges.h"

#include "AnswerRecord.h"
#include "ClassCourse.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "Grading.h"
#include "RuntimeError.h"

#include <QHash>

namespace {

struct RunKey
{
    QByteArray user;
    QDate date;
    QTime time;
    bool operator==(const RunKey &o) const
    {
        return date == o.date && time == o.time && CodePage::fold(user) == CodePage::fold(o.user);
    }
};

size_t qHash(const RunKey &k, size_t seed = 0)
{
    return ::qHash(CodePage::fold(k.user), seed) ^ ::qHash(k.date, seed) ^ ::qHash(k.time, seed);
}

} // namespace

int GradeChanges::gradeOf(QByteArrayView chosen, QByteArrayView key)
{
    int right = 0;
    for (qsizetype i = 0; i < chosen.size() && i < key.size(); ++i)
        right += key[i] != '0' && chosen[i] == key[i];
    return Grading::grade(right, int(std::max<qsizetype>(chosen.size(), 1)));
}

GradeChanges::Plan GradeChanges::plan(int test, const QByteArray &key, const QByteArray &records,
                                      const QList<GradeChange> &done,
                                      const std::function<int(const QByteArray &)> &storedGrade)
{
    Plan plan;
    plan.test = test;
    plan.testMark = QString::number(test);
    plan.key = key;
    QHash<RunKey, int> current; // a run's grade after the regrades so far
    for (const GradeChange &c : done) {
        if (c.kind == GradeChange::Kind::Regrade && c.test == test)
            current.insert({c.user, c.runDate, c.runTime}, c.newGrade);
    }
    struct Run
    {
        AnswerRecord record;
        qsizetype line = 0;
    };
    QList<Run> runs;
    QHash<QByteArray, qsizetype> lastRun; // by folded user: the index of the last run
    qsizetype number = 0;
    for (QByteArray line : records.split('\n')) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        AnswerRecord record;
        if (AnswerRecord::parse(line, record) != AnswerRecord::Fault::None) {
            plan.badLines.append(number);
            continue;
        }
        if (AnswerRecord::testNumber(record.testName) != test)
            continue;
        lastRun.insert(CodePage::fold(record.user), runs.size());
        runs.append({record, number});
    }
    QList<QByteArray> versions;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const AnswerRecord &r = runs[i].record;
        if (r.chosen.size() != key.size()) {
            ++plan.otherCount;
            continue;
        }
        ++plan.runs;
        if (!versions.contains(r.version)) {
            versions.append(r.version);
            GradeChange k;
            k.kind = GradeChange::Kind::Key;
            k.test = test;
            k.version = r.version;
            k.key = key;
            plan.keys.append(k);
        }
        const int before = current.value({r.user, r.date, r.time}, r.grade);
        const int after = gradeOf(r.chosen, key);
        if (after == before)
            continue;
        GradeChange c;
        c.kind = GradeChange::Kind::Regrade;
        c.test = test;
        c.version = r.version;
        c.runDate = r.date;
        c.runTime = r.time;
        c.oldGrade = before;
        c.newGrade = after;
        c.key = key;
        c.user = r.user;
        plan.regrades.append(c);
        plan.stores.append(lastRun.value(CodePage::fold(r.user)) == i &&
                           storedGrade(r.user) == before);
    }
    return plan;
}

GradeChanges::Plan GradeChanges::plan(const ClassStore &store, int test)
{
    const QByteArray testName = ClassStore::testName(test);
    const QString mark = ClassCourse::of(store).testMark(test);
    if (const QString fault = store.testFault(testName); !fault.isEmpty())
        throw RuntimeError(QStringLiteral("тест %1 не пересчитан: %2").arg(mark, fault));
    const std::unique_ptr<StoredTest> file = store.test(testName);
    QByteArray key;
    const int count = file->count();
    for (int k = 1; k <= count; ++k)
        key += AnswerRecord::rightDigit(file->rightAnswer(k));
    const ClassStore::Lines records = store.answerLines();
    if (records.shown.isEmpty())
        throw RuntimeError(QStringLiteral("в настройках не назван журнал тестирования"));
    if (!records.failure.isEmpty())
        throw RuntimeError(records.failure);
    const GradeChange::File done = GradeChange::read(store);
    if (!done.failure.isEmpty())
        throw RuntimeError(done.failure);
    Plan made = plan(test, key, records.text, done.changes, [&store, test](const QByteArray &user) {
        return store.isRegistered(user) ? int(store.grade(user, test)) : -1;
    });
    made.testMark = mark;
    return made;
}

bool GradeChanges::sameChanges(const Plan &a, const Plan &b)
{
    const auto lines = [](const QList<GradeChange> &changes) {
        QByteArray all;
        for (const GradeChange &c : changes)
            all += c.line();
        return all;
    };
    return a.test == b.test && a.stores == b.stores && lines(a.regrades) == lines(b.regrades) &&
           lines(a.keys) == lines(b.keys);
}

QString GradeChanges::overrideRefusal(int grade, const QString &reason)
{
    if (grade < 1 || grade > 5)
        return QStringLiteral("Оценка %1 неверна: нужна цифра от 1 до 5.").arg(grade);
    if (reason.trimmed().isEmpty() || !CodePage::canSpell(reason))
        return QStringLiteral("Нужна причина (русскими или латинскими буквами).");
    return QString();
}

int GradeChanges::apply(ClassStore &store, const Plan &plan, const QDateTime &now)
{
    QList<ClassStore::GradeWrite> writes;
    QByteArray lines;
    for (GradeChange c : plan.keys) {
        c.date = now.date();
        c.time = now.time();
        lines += c.line();
    }
    for (qsizetype i = 0; i < plan.regrades.size(); ++i) {
        GradeChange c = plan.regrades[i];
        c.date = now.date();
        c.time = now.time();
        lines += c.line();
        if (plan.stores[i])
            writes.append({c.user, plan.test, c.oldGrade, c.newGrade});
    }
    return store.recordGradeChanges(lines, writes);
}

QByteArray GradeChanges::setGrade(ClassStore &store, const QByteArray &typed, int test, int grade,
                                  const QByteArray &reason, const QDateTime &now)
{
    QByteArray user;
    for (const ClassStore::StoredUser &u : store.userRecords()) {
        if (CodePage::equalsIgnoreCase(u.name, typed)) {
            user = u.name;
            break;
        }
    }
    if (user.isEmpty())
        return QByteArray();
    GradeChange c;
    c.kind = GradeChange::Kind::Override;
    c.date = now.date();
    c.time = now.time();
    c.test = test;
    c.oldGrade = store.grade(user, test);
    if (c.oldGrade > 5)
        c.oldGrade = 0;
    c.newGrade = grade;
    c.reason = reason;
    c.user = user;
    store.recordGradeChanges(c.line(), {{user, test, -1, grade}});
    return user;
}
