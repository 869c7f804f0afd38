// SPDX-License-Identifier: GPL-3.0-or-later
#include "RosterCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "Roster.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "WorkingFolder.h"

#ifdef COURSEBOOK_REPORT_PDF
#include "ReportPdf.h"
#endif

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace {

const QString RosterOption = QStringLiteral("--roster");
const QString SheetOption = QStringLiteral("--sheet");
const QString PdfOption = QStringLiteral("--pdf");
const QString DirOption = QStringLiteral("--dir");
const QString ColumnsOption = QStringLiteral("--columns");
const QString PreviewFlag = QStringLiteral("--preview");

QString absolute(const CommandArguments &arguments, const QString &option)
{
    const QString name = arguments.value(option);
    return name.isEmpty() ? QString() : QFileInfo(name).absoluteFilePath();
}

QString canonicalFolder(const QString &path)
{
    // A file not yet written is judged by the folder it goes into.
    QFileInfo info(path);
    while (!info.exists() && info.absoluteFilePath() != info.absolutePath())
        info = QFileInfo(info.absolutePath());
    return info.canonicalFilePath();
}

// Passwords on paper belong with the teacher, not in a folder every student
// machine reads.
void refuseClassFolder(const QString &output, const QString &classFolder)
{
    const QString target = canonicalFolder(output);
    const QString folder = QFileInfo(classFolder).canonicalFilePath();
    if (target == folder || target.startsWith(folder + QLatin1Char('/')))
        throw RuntimeError(
            QStringLiteral("%1 лежит в папке класса, которую видят ученики; лист с паролями "
                           "сохраняется только вне её")
                .arg(QDir::toNativeSeparators(output)));
}

} // namespace

const char *const RosterCommand::Synopsis =
    "register --roster FILE --sheet HTML [--pdf PDF] [--columns LIST] [--preview] [--dir DIR]";

QString RosterCommand::summary()
{
    return QStringLiteral(
        "зарегистрировать класс по списку FILE (выгрузка таблицы через «;» или табуляцию, "
        "UTF-8 или Windows-1251; столбцы по строке заголовка: ФИО или Фамилия, Имя, Отчество, "
        "Пароль, прочие пропускаются; без заголовка --columns ФИО,Пароль); пароль создаётся "
        "каждому, у кого его нет; сначала показывается, кто будет зарегистрирован и кто нет "
        "(--preview: только показать); лист с листком на каждого ученика записывается в HTML "
        "(и PDF) вне папки класса");
}

bool RosterCommand::wanted(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg == QLatin1String("--"))
            return false;
        if (arg == RosterOption || arg.startsWith(RosterOption + QLatin1Char('=')))
            return true;
    }
    return false;
}

std::unique_ptr<QCoreApplication> RosterCommand::application(int &argc, char **argv)
{
#ifdef COURSEBOOK_REPORT_PDF
    if (argc > 1 && std::strcmp(argv[1], "register") == 0) {
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0)
                return ReportPdf::application(argc, argv);
        }
    }
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
#endif
    return nullptr;
}

int RosterCommand::run(const QStringList &args)
{
    const CommandArguments arguments(
        args, {RosterOption, SheetOption, PdfOption, DirOption, ColumnsOption}, {PreviewFlag}, 0);
    const QString roster = absolute(arguments, RosterOption);
    const QString sheet = absolute(arguments, SheetOption);
    const QString pdf = absolute(arguments, PdfOption);
    if (sheet.isEmpty() && !arguments.has(PreviewFlag))
        throw CommandArguments::UsageError(
            QStringLiteral("нужен параметр --sheet: куда записать лист с паролями"));
#ifndef COURSEBOOK_REPORT_PDF
    if (!pdf.isEmpty())
        throw RuntimeError(QStringLiteral("PDF недоступен: эта сборка без HTML-движка; "
                                          "напечатайте лист HTML"));
#endif
    const QString dir = arguments.value(DirOption);
    const std::unique_ptr<ClassStore> store = WorkingFolder::openClass(dir);
    for (const QString &output : {sheet, pdf}) {
        if (!output.isEmpty())
            refuseClassFolder(output, QDir::currentPath());
    }

    const QByteArray adminLogin = WorkingFolder::adminLogin(*store);
    const Roster::Reading reading =
        Roster::read(*store, TextFile::read(roster), adminLogin, arguments.value(ColumnsOption));
    if (!reading.unnamedColumns.isEmpty()) {
        Console::error(reading.unnamedColumns + QStringLiteral("; никто не зарегистрирован"));
        return 1;
    }
    // What will be done, before anything is.
    if (reading.header)
        Console::out(QStringLiteral("Строка 1 — заголовок, столбцы взяты по его названиям."));
    for (const Roster::Entry &e : reading.entries)
        Console::out(QStringLiteral("строка %1: будет зарегистрирован %2 (%3)")
                         .arg(e.line)
                         .arg(CodePage::toUnicode(e.name),
                              e.generated ? QStringLiteral("пароль будет создан")
                                          : QStringLiteral("пароль из списка")));
    if (!reading.refusals.isEmpty()) {
        for (const Roster::Refusal &r : reading.refusals)
            Console::warning(QStringLiteral("строка %1: %2").arg(r.line).arg(r.text));
        Console::error(QStringLiteral("строк с ошибками: %1; никто не зарегистрирован")
                           .arg(reading.refusals.size()));
        return 1;
    }
    if (arguments.has(PreviewFlag)) {
        Console::out(QStringLiteral("Ничего не записано (--preview)."));
        return 0;
    }
    if (reading.entries.isEmpty()) {
        Console::error(QStringLiteral("в списке нет ни одного имени"));
        return 1;
    }

    // The sheet first: passwords made here exist nowhere else.
    const QByteArray page = Roster::sheet(reading.entries, QDateTime::currentDateTime());
    TextFile::replace(sheet, page);
#ifdef COURSEBOOK_REPORT_PDF
    if (!pdf.isEmpty())
        ReportPdf::print(page, pdf);
#endif

    int registered = 0;
    for (const Roster::Entry &e : reading.entries) {
        const Refusal refusal = store->registerUser(e.name, e.password, adminLogin).refusal;
        if (refusal != Refusal::None) {
            Console::warning(QStringLiteral("строка %1: %2")
                                 .arg(e.line)
                                 .arg(CodePage::toUnicode(store->refusalText(refusal))));
            continue;
        }
        ++registered;
    }
    Console::out(QStringLiteral("Зарегистрировано пользователей: %1 из %2.")
                     .arg(registered)
                     .arg(reading.entries.size()));
    Console::out(QStringLiteral("Лист с паролями: %1").arg(QDir::toNativeSeparators(sheet)));
    if (!pdf.isEmpty())
        Console::out(QStringLiteral("Лист с паролями: %1").arg(QDir::toNativeSeparators(pdf)));
    return registered == reading.entries.size() ? 0 : 1;
}
