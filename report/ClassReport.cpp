// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassReport.h"

#include "ClassCourse.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "FolderAccess.h"
#include "IniDocument.h"

#include <QDir>
#include <QFileInfo>

#include <QHash>

namespace {

QByteArray folded(const QByteArray &name)
{
    return CodePage::fold(IniDocument::trimmed(name).toByteArray());
}

// The last of the course's tests, in its order, that the passed ones open:
// the test the student works on.
int reachedTest(const ClassRecords::Grades &grades, const CourseStructure &course)
{
    QList<QByteArray> passed;
    for (int k = 1; k <= ClassReport::Tests; ++k) {
        if (grades[k - 1] && *grades[k - 1] >= ClassReport::PassGrade)
            passed.append(ClassStore::testName(k));
    }
    int reached = 1;
    for (const MenuTree::Entry *test : course.tests()) {
        if (CourseStructure::opens(*test, passed))
            reached = CourseStructure::testNumber(test->name);
    }
    return reached;
}

} // namespace

bool ClassReport::CourseTest::numbered() const
{
    return CourseStructure::numberedCaption(test, label);
}

QString ClassReport::testLabel(int k) const
{
    for (const CourseTest &t : courseTests) {
        if (t.test == k)
            return t.label;
    }
    return QString::fromLatin1(ClassStore::testName(k));
}

QString ClassReport::testMark(int k) const
{
    for (const CourseTest &t : courseTests) {
        if (t.test == k)
            return CourseStructure::testMark(k, t.label);
    }
    return QString::number(k);
}

bool ClassReport::Row::took(int k) const
{
    const std::optional<quint8> &g = grades[k - 1];
    if (!g || *g < 1 || *g > 5)
        return false;
    return !(k == 1 && *g == 1 && runs[0] == 0);
}

bool ClassReport::Row::passed(int k) const
{
    return took(k) && *grades[k - 1] >= PassGrade;
}

bool ClassReport::Row::stuck() const
{
    return took(reached) && !passed(reached) && runs[reached - 1] > 1;
}

ClassReport ClassReport::build(const ClassRecords &records, const TestLogReader &log,
                               const ItemAnalysis &items, const CourseStructure &course)
{
    ClassReport report;
    report.title = course.title().isEmpty() ? CourseInfo::Title : course.title();
    if (course.broken()) {
        // A course file with errors names no tests: the records' own are
        // shown, and the file is named among what could not be read.
        for (int k = 1; k <= Tests; ++k)
            report.courseTests.append({k, QString::fromLatin1(ClassStore::testName(k))});
        report.fileErrors.append(
            QStringLiteral("%1 — ошибки в файле курса (%2); тесты названы по записям")
                .arg(CourseStructure::FileName,
                     course.findingsText().section(QLatin1Char('\n'), 0, 0)));
    }
    for (const MenuTree::Entry *test : course.tests())
        report.courseTests.append({CourseStructure::testNumber(test->name), test->label});
    report.items = items;
    report.records = records;
    report.logLines = log.lines;
    report.logPath = log.path;
    report.badLines = log.bad;
    report.fileErrors += records.fileErrors;
    if (!log.failure.isEmpty())
        report.fileErrors.append(log.failure);
    if (!items.failure.isEmpty())
        report.fileErrors.append(items.failure);

    QHash<QByteArray, qsizetype> rowOf;
    for (const ClassRecords::User &user : records.users) {
        Row row;
        row.name = user.name;
        row.hasRecord = user.hasRecord;
        row.grades = user.grades;
        row.reached = reachedTest(user.grades, course);
        rowOf.insert(folded(user.name), report.rows.size());
        report.rows.append(row);
        for (int k = 1; k <= Tests; ++k) {
            const std::optional<quint8> &g = user.grades[k - 1];
            if (g && *g > 5)
                report.gradesAboveFive.append({user.name, k, QByteArray::number(*g), false});
        }
    }

    QHash<QByteArray, qsizetype> strangerOf;
    for (const TestLogReader::Run &run : log.runs) {
        ++report.logRuns;
        if (run.date.isValid())
            ++report.runsPerDay[run.date];
        const QByteArray key = folded(run.user);
        const auto found = rowOf.constFind(key);
        if (found == rowOf.constEnd()) {
            auto s = strangerOf.constFind(key);
            if (s == strangerOf.constEnd()) {
                s = strangerOf.insert(key, report.strangers.size());
                report.strangers.append({run.user, 0, run.line});
            }
            ++report.strangers[*s].runs;
            continue;
        }
        Row &row = report.rows[*found];
        report.runList.append(run);
        ++row.runs[run.test - 1];
        ++row.totalRuns;
        row.lastDateText = run.dateText;
        row.lastDate = run.date;
    }

    for (const CourseTest &test : std::as_const(report.courseTests)) {
        const int k = test.test;
        TestSummary summary;
        summary.test = k;
        for (const Row &row : report.rows) {
            if (row.took(k)) {
                ++summary.takers;
                ++summary.grades[*row.grades[k - 1] - 1];
                if (row.passed(k))
                    ++summary.passed;
            }
            summary.runs += row.runs[k - 1];
            if (row.runs[k - 1])
                ++summary.runners;
        }
        if (summary.takers || summary.runs)
            report.tests.append(summary);
    }
    // The questions of the course's tests in its order, then those of tests
    // it no longer holds.
    const auto place = [&report](int k) {
        for (qsizetype i = 0; i < report.courseTests.size(); ++i) {
            if (report.courseTests[i].test == k)
                return i;
        }
        return report.courseTests.size();
    };
    std::stable_sort(report.items.versions.begin(), report.items.versions.end(),
                     [&place](const ItemAnalysis::Version &a, const ItemAnalysis::Version &b) {
                         return place(a.test) < place(b.test);
                     });
    return report;
}

ClassReport ClassReport::read(const ClassStore &store, ItemAnalysis::Attempts attempts)
{
    const ClassRecords records = ClassRecords::read(store);
    QSet<QByteArray> known;
    for (const ClassRecords::User &user : records.users)
        known.insert(folded(user.name));
    const TestLogReader log = TestLogReader::read(store, known);
    ClassReport report =
        build(records, log, ItemAnalysis::read(store, attempts), ClassCourse::of(store));
    report.suspicious = SuspiciousRecords::read(store, records, log);
    report.changes = GradeChange::read(store);
    if (!report.changes.failure.isEmpty())
        report.fileErrors.append(report.changes.failure);
    if (const FolderAccess *folder = store.folderAccess()) {
        report.classFolder = QDir(folder->folder()).canonicalPath();
        report.inputs = folder->recordFiles();
        report.inputs.append(folder->settingsFile());
        for (const QString &path : {report.logPath, report.items.path, report.changes.path}) {
            if (!path.isEmpty() && !report.inputs.contains(QDir::fromNativeSeparators(path)))
                report.inputs.append(QDir::fromNativeSeparators(path));
        }
    }
    return report;
}

bool ClassReport::isClassFile(const QString &path) const
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return false;
    for (const QString &input : inputs) {
        if (QFileInfo(input).canonicalFilePath() == target)
            return true;
    }
    return false;
}

QString ClassReport::outputRefusal(const QString &path) const
{
    if (isClassFile(path))
        return QStringLiteral("%1 — файл самого класса; отчёт не записан")
            .arg(QDir::toNativeSeparators(path));
    // The folder it would be made in, the nearest one that is there.
    QFileInfo folder(QFileInfo(path).absolutePath());
    while (!folder.exists() && folder.absoluteFilePath() != folder.absolutePath())
        folder = QFileInfo(folder.absolutePath());
    const QString target = folder.canonicalFilePath();
    if (!classFolder.isEmpty() &&
        (target == classFolder || target.startsWith(classFolder + QLatin1Char('/'))))
        return QStringLiteral("%1 лежит в папке класса, где отчёт с оценками прочтёт каждый "
                              "ученик; сохраните его вне папки класса")
            .arg(QDir::toNativeSeparators(path));
    return QString();
}

qsizetype ClassReport::problemCount() const
{
    return fileErrors.size() + records.withoutRecord.size() + records.unlisted.size() +
           records.repeated.size() + records.badGrades.size() + gradesAboveFive.size() +
           badLines.size() + strangers.size() + items.bad.size() + changes.badLines.size();
}
