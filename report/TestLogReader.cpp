// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestLogReader.h"

#include "AdminSettings.h"
#include "CodePage.h"
#include "CourseStructure.h"
#include "LogDate.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "TextLines.h"

#include <QHash>

namespace {

const QByteArrayView Separator(" | ");

// test1 … test10 in any letter case: the number, or 0.
int testNumber(QByteArrayView field)
{
    if (field.size() < 5 || field.size() > 6 ||
        CodePage::fold(field.first(4).toByteArray()) != "test")
        return 0;
    int k = 0;
    for (char c : field.sliced(4)) {
        if (c < '0' || c > '9')
            return 0;
        k = k * 10 + (c - '0');
    }
    if (field[4] == '0')
        return 0;
    return k >= 1 && k <= CourseStructure::MaxTests ? k : 0;
}

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
        const int test = testNumber(fields[n - 2]);
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

TestLogReader TestLogReader::read(const QSet<QByteArray> &knownUsers)
{
    const QString settingsPath = Paths::resolve(AdminSettings::FileName);
    AdminSettings settings;
    try {
        settings = AdminSettings::read();
    } catch (const RuntimeError &e) {
        TestLogReader log;
        log.failure =
            QStringLiteral("файл настроек %1: %2").arg(Paths::display(settingsPath), e.message());
        return log;
    }
    if (settings.logName.isEmpty()) {
        TestLogReader log;
        log.failure = QStringLiteral("в файле настроек %1 не указано имя журнала тестов")
                          .arg(Paths::display(settingsPath));
        return log;
    }
    const QString path = Paths::resolve(settings.logName);
    if (!AdminSettings::logNameStaysInside(settings.logName)) {
        TestLogReader log;
        log.failure = CodePage::toUnicode(AdminSettings::logNameOutsideText(settings.logName));
        return log;
    }
    QByteArray bytes;
    try {
        bytes = TextFile::read(path);
    } catch (const RuntimeError &e) {
        TestLogReader log;
        log.path = Paths::display(path);
        log.failure = QStringLiteral("журнал тестов %1: %2").arg(log.path, e.message());
        return log;
    }
    TestLogReader log = parse(bytes, knownUsers);
    log.path = Paths::display(path);
    return log;
}
