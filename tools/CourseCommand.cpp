// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseCommand.h"

#include "CommandArguments.h"
#include "Console.h"
#include "CourseFileCheck.h"
#include "CourseStructure.h"
#include "Grading.h"
#include "ManifestImport.h"
#include "UnlockTable.h"
#include "WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

const char *const CourseCommand::CheckSynopsis = "course check [--dir DIR]";
const char *const CourseCommand::ShowSynopsis =
    "course show [--dir DIR] [--as student|admin] [--grades G1,G2,...]";
const char *const CourseCommand::ImportSynopsis = "course import MANIFEST [--out FILE]";
const char *const CourseCommand::ExportSynopsis = "course export-default [--out FILE]";

QString CourseCommand::checkSummary()
{
    return u"проверить файл курса course.ini: каждая ошибка и предупреждение с номером строки; "
           u"код выхода 1 при ошибках"_s;
}

QString CourseCommand::showSummary()
{
    return u"показать меню, которое видит ученик или администратор, с закрытыми пунктами и "
           u"тестом, который их открывает; оценки test1, test2, … по порядку"_s;
}

QString CourseCommand::importSummary()
{
    return u"черновик course.ini (или FILE) из манифеста пакета IMS/SCORM imsmanifest.xml; "
           u"что не перенесено, перечисляется со строками манифеста"_s;
}

QString CourseCommand::exportSummary()
{
    return u"курс, который программа показывает без course.ini, в стандартный вывод или в FILE"_s;
}

namespace {

void printFindings(const QList<CourseStructure::Finding> &findings)
{
    for (const CourseStructure::Finding &f : findings) {
        Console::out((f.line > 0 ? u"строка %1: "_s.arg(f.line) : QString()) +
                     (f.error ? u"ошибка: "_s : u"предупреждение: "_s) + f.text);
    }
}

// Refuses to replace a file: a course text a teacher wrote is not overwritten
// by a draft.
void writeNew(const QString &path, const QByteArray &text)
{
    if (QFileInfo::exists(path))
        throw RuntimeError(u"%1 уже есть; укажите другой файл в --out"_s.arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw RuntimeError(u"%1 не записан: %2"_s.arg(path, file.errorString()));
}

int check(const CommandArguments &arguments)
{
    WorkingFolder::enterClassFolder(arguments.value(u"--dir"_s));
    const CourseFileCheck::Report report = CourseFileCheck::check(QDir::currentPath());
    if (!report.present) {
        Console::out(u"В папке нет %1: программа показывает свой курс "
                     u"(coursebook-admin course export-default)."_s.arg(CourseStructure::FileName));
        return 0;
    }
    printFindings(report.findings);
    int errors = 0;
    for (const CourseStructure::Finding &f : report.findings)
        errors += f.error ? 1 : 0;
    Console::out(u"Пунктов: %1, тестов: %2. Ошибок: %3, предупреждений: %4."_s.arg(report.entries)
                     .arg(report.tests)
                     .arg(errors)
                     .arg(report.findings.size() - errors));
    return errors > 0 ? 1 : 0;
}

int show(const CommandArguments &arguments)
{
    WorkingFolder::enterClassFolder(arguments.value(u"--dir"_s));
    const CourseStructure course = CourseStructure::load(QDir::currentPath());
    if (course.broken()) {
        printFindings(course.findings());
        Console::out(u"Файл курса с ошибками: программа покажет только «Помощь» и «Выход»."_s);
    }
    const QString as = arguments.value(u"--as"_s, u"student"_s);
    if (as != u"student"_s && as != u"admin"_s)
        throw CommandArguments::UsageError(u"--as: student или admin, а не %1"_s.arg(as));
    const MenuTree::Role role =
        as == u"admin"_s ? MenuTree::Role::Administrator : MenuTree::Role::Student;
    // A student's tests count as passed by the grades given; the
    // administrator's login locks nothing.
    QList<QByteArray> passed;
    const QStringList grades = arguments.value(u"--grades"_s).split(u',', Qt::SkipEmptyParts);
    for (const MenuTree::Entry *test : course.tests()) {
        const int k = CourseStructure::testNumber(test->name);
        const int grade = grades.value(k - 1).trimmed().toInt();
        if (role == MenuTree::Role::Administrator || grade >= Grading::PassGrade)
            passed.append(test->name.toLatin1());
    }
    for (const MenuTree::Entry &entry : course.entries()) {
        if (!course.shownTo(entry, role))
            continue;
        int depth = 0;
        for (const MenuTree::Entry *up = course.find(entry.parent); up;
             up = course.find(up->parent))
            ++depth;
        QString line = QString(depth * 2, u' ') + entry.caption;
        const QStringList missing = UnlockTable::missing(entry, passed);
        if (!missing.isEmpty()) {
            QStringList captions;
            for (const QString &test : missing)
                captions.append(u"«%1»"_s.arg(course.find(test)->caption));
            line += u"  [закрыто: нужен тест %1]"_s.arg(captions.join(u", "_s));
        }
        if (entry.hideDuringTest)
            line += u"  [скрыто во время теста]"_s;
        Console::out(line);
    }
    return 0;
}

int import(const CommandArguments &arguments)
{
    QFile file(arguments.positional().value(1));
    if (arguments.positional().size() != 2)
        throw CommandArguments::UsageError(u"нужен файл манифеста"_s);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(u"%1 не читается: %2"_s.arg(file.fileName(), file.errorString()));
    const ManifestImport::Result result = ManifestImport::convert(file.readAll());
    if (!result.error.isEmpty())
        throw RuntimeError(u"%1: %2"_s.arg(file.fileName(), result.error));
    const QString out = arguments.value(u"--out"_s, CourseStructure::FileName);
    writeNew(out, result.text);
    for (const CourseStructure::Finding &f : result.dropped)
        Console::out(u"%1:%2: %3"_s.arg(file.fileName()).arg(f.line).arg(f.text));
    Console::out(
        u"Черновик записан в %1; не перенесено: %2."_s.arg(out).arg(result.dropped.size()));
    return 0;
}

int exportDefault(const CommandArguments &arguments)
{
    const QString out = arguments.value(u"--out"_s);
    if (out.isEmpty())
        Console::outBytes(CourseStructure::defaultText());
    else
        writeNew(out, CourseStructure::defaultText());
    return 0;
}

} // namespace

int CourseCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {u"--dir"_s, u"--as"_s, u"--grades"_s, u"--out"_s}, {},
                                     1, 2);
    const QString action = arguments.positional().at(0);
    if (action == u"import"_s)
        return import(arguments);
    if (arguments.positional().size() != 1)
        throw CommandArguments::UsageError(
            u"лишний аргумент %1"_s.arg(arguments.positional().at(1)));
    if (action == u"check"_s)
        return check(arguments);
    if (action == u"show"_s)
        return show(arguments);
    if (action == u"export-default"_s)
        return exportDefault(arguments);
    throw CommandArguments::UsageError(u"неизвестное действие %1"_s.arg(action));
}
