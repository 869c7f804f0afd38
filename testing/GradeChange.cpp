// SPDX-License-Identifier: GPL-3.0-or-later
#include "GradeChange.h"

#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "ClassCourse.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "UserRecords.h"

#include <QFileInfo>

namespace {

const QByteArrayView Separator(" | ");
constexpr int FixedFields = 8;

const char *kindWord(GradeChange::Kind kind)
{
    switch (kind) {
    case GradeChange::Kind::Regrade:
        return "regrade";
    case GradeChange::Kind::Override:
        return "grade";
    case GradeChange::Kind::Key:
        return "key";
    }
    return "";
}

QByteArray escaped(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '|')
            out += '\\';
        // A line end would end the record.
        out += c == '\r' || c == '\n' ? ' ' : c;
    }
    return out;
}

bool isVersion(QByteArrayView text)
{
    if (text.size() != AnswerRecord::VersionLength)
        return false;
    for (char c : text) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f'))
            return false;
    }
    return true;
}

bool isKey(QByteArrayView text)
{
    for (char c : text) {
        if (c < '0' || c > '5')
            return false;
    }
    return !text.isEmpty();
}

int gradeOf(QByteArrayView text, int low)
{
    return text.size() == 1 && text[0] >= '0' + low && text[0] <= '5' ? text[0] - '0' : -1;
}

} // namespace

QByteArray GradeChange::line() const
{
    const bool run = kind != Kind::Override;
    const bool byRun = kind == Kind::Regrade;
    const QByteArray separator = Separator.toByteArray();
    return AnswerRecord::timeText(date, time) + separator + kindWord(kind) + separator + "test" +
           QByteArray::number(test) + separator + (run ? version : "-") + separator +
           (byRun ? AnswerRecord::timeText(runDate, runTime) : "-") + separator +
           (kind == Kind::Key ? "-" : QByteArray::number(oldGrade)) + separator +
           (kind == Kind::Key ? "-" : QByteArray::number(newGrade)) + separator +
           (run ? key : "-") + separator + escaped(reason) + separator +
           (kind == Kind::Key ? "-" : user) + "\r\n";
}

GradeChange::Fault GradeChange::parse(QByteArrayView line, GradeChange &out)
{
    QByteArrayView fields[FixedFields];
    QByteArrayView rest = line;
    for (QByteArrayView &field : fields) {
        const qsizetype at = rest.indexOf(Separator);
        if (at < 0)
            return Fault::FieldCount;
        field = rest.first(at);
        rest = rest.sliced(at + Separator.size());
    }
    // The reason ends at its first unescaped bar, which stands in " | ".
    qsizetype bar = -1;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == '\\')
            ++i;
        else if (rest[i] == '|') {
            bar = i;
            break;
        }
    }
    if (bar < 1 || rest[bar - 1] != ' ' || bar + 2 > rest.size() || rest[bar + 1] != ' ')
        return Fault::FieldCount;
    const QByteArrayView reason = rest.first(bar - 1);
    const QByteArrayView user = rest.sliced(bar + 2);
    if (user.isEmpty())
        return Fault::FieldCount;

    GradeChange c;
    if (!AnswerRecord::parseTime(fields[0], c.date, c.time))
        return Fault::BadTime;
    if (fields[1] == "regrade")
        c.kind = Kind::Regrade;
    else if (fields[1] == "grade")
        c.kind = Kind::Override;
    else if (fields[1] == "key")
        c.kind = Kind::Key;
    else
        return Fault::BadKind;
    c.test = AnswerRecord::testNumber(fields[2]);
    if (!c.test)
        return Fault::UnknownTest;
    const bool run = c.kind != Kind::Override;
    if (run ? !isVersion(fields[3]) : fields[3] != "-")
        return Fault::BadVersion;
    if (c.kind == Kind::Regrade ? !AnswerRecord::parseTime(fields[4], c.runDate, c.runTime)
                                : fields[4] != "-")
        return Fault::BadTime;
    if (c.kind == Kind::Key) {
        if (fields[5] != "-" || fields[6] != "-")
            return Fault::BadGrade;
    } else {
        c.oldGrade = gradeOf(fields[5], 0);
        c.newGrade = gradeOf(fields[6], 1);
        if (c.oldGrade < 0 || c.newGrade < 0)
            return Fault::BadGrade;
    }
    if (run ? !isKey(fields[7]) : fields[7] != "-")
        return Fault::BadKey;
    if (run)
        c.version = fields[3].toByteArray();
    if (run)
        c.key = fields[7].toByteArray();
    for (qsizetype i = 0; i < reason.size(); ++i) {
        if (reason[i] == '\\' && i + 1 < reason.size())
            ++i;
        c.reason += reason[i];
    }
    if (c.kind != Kind::Key)
        c.user = user.toByteArray();
    out = c;
    return Fault::None;
}

QByteArray GradeChange::fileName(const QByteArray &logName)
{
    return UserRecords::besideLog(logName, "changes");
}

GradeChange::File GradeChange::parseAll(const QByteArray &bytes)
{
    File file;
    qsizetype number = 0;
    for (QByteArray line : bytes.split('\n')) {
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        GradeChange change;
        if (parse(line, change) == Fault::None)
            file.changes.append(change);
        else
            file.badLines.append(number);
    }
    return file;
}

GradeChange::File GradeChange::read(const ClassStore &store)
{
    const ClassStore::Lines lines = store.changeLines();
    File file;
    if (lines.failure.isEmpty())
        file = parseAll(lines.text);
    file.failure = lines.failure;
    file.path = lines.shown;
    return file;
}

void GradeChange::append(const QByteArray &logName, const QByteArray &lines)
{
    const QString log = Paths::resolve(logName);
    if (logName.isEmpty() || QFileInfo(log).isDir())
        throw IoError::inOut(log, TextFile::diagnose(log, true));
    if (!AdminSettings::logNameStaysInside(logName))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(logName)));
    TextFile::append(FolderBounds::recordPath(Paths::resolve(fileName(logName))), lines);
}

QString GradeChange::text(const QString &testMark) const
{
    const QString when = QString::fromLatin1(AnswerRecord::timeText(date, time));
    const QString grades = QStringLiteral("тест %1: %2 → %3")
                               .arg(testMark)
                               .arg(oldGrade ? QString::number(oldGrade) : QStringLiteral("—"))
                               .arg(newGrade);
    switch (kind) {
    case Kind::Regrade:
        return QStringLiteral("%1, пересчёт по исправленному ключу (попытка %2), %3")
            .arg(grades, QString::fromLatin1(AnswerRecord::timeText(runDate, runTime)), when);
    case Kind::Override:
        return QStringLiteral("%1, выставлено вручную: %2, %3")
            .arg(grades, CodePage::toUnicode(reason), when);
    case Kind::Key:
        break;
    }
    return QStringLiteral("тест %1, версия %2: ключ %3, %4")
        .arg(testMark, QString::fromLatin1(version), QString::fromLatin1(key), when);
}

QStringList GradeChange::textsFor(const ClassStore &store, const QByteArray &user)
{
    QStringList texts;
    const CourseStructure course = ClassCourse::of(store);
    for (const GradeChange &c : read(store).changes) {
        if (c.kind != Kind::Key && CodePage::fold(c.user) == CodePage::fold(user))
            texts.append(c.text(course.testMark(c.test)));
    }
    return texts;
}
