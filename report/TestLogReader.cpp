// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestLogReader.h"

#include "AnswerRecord.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CourseStructure.h"
#include "LogDate.h"
#include "TextLines.h"

#include <QHash>

namespace {

const QByteArrayView Separator = ClassStore::FieldSeparator;

int gradeNumber(QByteArrayView field)
{
    return field.size() == 1 && field[0] >= '1' && field[0] <= '5' ? field[0] - '0' : 0;
}

void splitFields(QByteArrayView line, QList<QByteArrayView> &fields)
{
    fields.clear();
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = line.indexOf(Separator, start);
        if (at < 0) {
            fields.append(line.sliced(start));
            return;
        }
        fields.append(line.sliced(start, at - start));
        start = at + Separator.size();
    }
}

} // namespace

TestLogReader TestLogReader::parse(const QByteArray &bytes, const QSet<QByteArray> &knownUsers)
{
    TestLogReader log;
    QHash<QByteArray, QDate> dates; // a log holds few distinct days
    QList<QByteArrayView> fields;
    log.lines = TextLines::forEach(bytes, [&](QByteArrayView line, qsizetype number) {
        splitFields(line, fields);
        const qsizetype n = fields.size();
        QByteArray user;
        bool taken = n == 5;
        if (taken) {
            user = fields[0].toByteArray();
        } else if (n > 5) {
            const QByteArrayView time = fields[n - 4];
            user = line.first(time.data() - line.data() - Separator.size()).toByteArray();
            taken = knownUsers.contains(CodePage::fold(user));
        }
        if (!taken) {
            log.bad.append({number, Fault::FieldCount, TextLines::kept(line)});
            return;
        }
        const int test = AnswerRecord::testNumber(fields[n - 2]);
        if (!test) {
            log.bad.append({number, Fault::UnknownTest, TextLines::kept(line)});
            return;
        }
        const int grade = gradeNumber(fields[n - 1]);
        if (!grade) {
            log.bad.append({number, Fault::BadGrade, TextLines::kept(line)});
            return;
        }
        Run run;
        run.user = user;
        run.dateText = fields[n - 3].toByteArray();
        auto known = dates.constFind(run.dateText);
        if (known == dates.constEnd())
            known = dates.insert(run.dateText, LogDate::parse(run.dateText));
        run.date = *known;
        run.timeText = fields[n - 4].toByteArray();
        run.time = LogDate::parseTime(run.timeText);
        run.line = number;
        run.test = test;
        run.grade = grade;
        if (!run.date.isValid())
            log.bad.append({number, Fault::BadDate, TextLines::kept(line)});
        log.runs.append(run);
    });
    return log;
}

TestLogReader TestLogReader::read(const ClassStore &store, const QSet<QByteArray> &knownUsers)
{
    const ClassStore::Lines lines = store.logLines();
    TestLogReader log;
    if (lines.failure.isEmpty())
        log = parse(lines.text, knownUsers);
    log.path = lines.shown;
    log.failure = lines.failure;
    log.missing = lines.missing;
    return log;
}
