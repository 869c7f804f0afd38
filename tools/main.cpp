// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminLogin.h"
#include "ArchiveCommand.h"
#include "CheckCommand.h"
#include "ClassServer.h"
#include "CommandArguments.h"
#include "Console.h"
#include "ConvertCommand.h"
#include "CourseCommand.h"
#include "DoctorCommand.h"
#include "EngineLog.h"
#include "ExportCommand.h"
#include "GradeCommand.h"
#include "ImportCommand.h"
#include "IoError.h"
#include "PasswdCommand.h"
#include "RegisterCommand.h"
#include "RegradeCommand.h"
#include "RemoveCommand.h"
#include "RenameCommand.h"
#include "ReportCommand.h"
#include "RestoreCommand.h"
#include "RosterCommand.h"
#include "RuntimeError.h"
#include "ServerCommand.h"
#include "ShowCommand.h"
#include "UnlockCommand.h"
#include "UsersCommand.h"
#include "WorkingFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

namespace {

struct Command
{
    const char *name;
    const char *synopsis;
    QString (*summary)();
    int (*run)(const QStringList &args);
    // More than the summary for the command's own --help, or none.
    QString (*details)() = nullptr;
    // Whether a student may run it without the administrator's login: their
    // own registration, a check of a source, the folder's check-up, the
    // course file's commands (the file holds no record); and the results
    // server's commands, whose authority is the server's own.
    bool forAnyone = false;
    // Whether it works on a course folder's files only, never on a results
    // server's class.
    bool folderOnly = false;
};

// A new command is one more row here.
const Command Commands[] = {
    {"convert", ConvertCommand::Synopsis, &ConvertCommand::summary, &ConvertCommand::run,
     &ConvertCommand::details, false, true},
    {"check", CheckCommand::Synopsis, &CheckCommand::summary, &CheckCommand::run, nullptr, true},
    {"show", ShowCommand::Synopsis, &ShowCommand::summary, &ShowCommand::run, nullptr, false, true},
    {"import", ImportCommand::Synopsis, &ImportCommand::summary, &ImportCommand::run, nullptr,
     false, true},
    {"export", ExportCommand::Synopsis, &ExportCommand::summary, &ExportCommand::run, nullptr,
     false, true},
    {"users", UsersCommand::Synopsis, &UsersCommand::summary, &UsersCommand::run},
    {"register", RegisterCommand::Synopsis, &RegisterCommand::summary, &RegisterCommand::run,
     nullptr, true},
    {"register", RosterCommand::Synopsis, &RosterCommand::summary, &RegisterCommand::run, nullptr,
     true},
    {"passwd", PasswdCommand::Synopsis, &PasswdCommand::summary, &PasswdCommand::run},
    {"rename", RenameCommand::Synopsis, &RenameCommand::summary, &RenameCommand::run},
    {"remove", RemoveCommand::Synopsis, &RemoveCommand::summary, &RemoveCommand::run},
    {"restore", RestoreCommand::Synopsis, &RestoreCommand::summary, &RestoreCommand::run},
    {"restore", RestoreCommand::ListSynopsis, &RestoreCommand::listSummary, &RestoreCommand::run},
    {"archive", ArchiveCommand::Synopsis, &ArchiveCommand::summary, &ArchiveCommand::run},
    {"report", ReportCommand::Synopsis, &ReportCommand::summary, &ReportCommand::run},
    {"regrade", RegradeCommand::Synopsis, &RegradeCommand::summary, &RegradeCommand::run},
    {"grade", GradeCommand::Synopsis, &GradeCommand::summary, &GradeCommand::run},
    {"unlock", UnlockCommand::Synopsis, &UnlockCommand::summary, &UnlockCommand::run, nullptr,
     false, true},
    {"doctor", DoctorCommand::Synopsis, &DoctorCommand::summary, &DoctorCommand::run, nullptr,
     true},
    {"course", CourseCommand::CheckSynopsis, &CourseCommand::checkSummary, &CourseCommand::run,
     nullptr, true, true},
    {"course", CourseCommand::ShowSynopsis, &CourseCommand::showSummary, &CourseCommand::run,
     nullptr, true, true},
    {"course", CourseCommand::ImportSynopsis, &CourseCommand::importSummary, &CourseCommand::run,
     nullptr, true, true},
    {"course", CourseCommand::ExportSynopsis, &CourseCommand::exportSummary, &CourseCommand::run,
     nullptr, true, true},
    {"server", ServerCommand::Synopsis, &ServerCommand::summary, &ServerCommand::run,
     &ServerCommand::details, true},
};

const Command *findCommand(const QString &name)
{
    for (const Command &c : Commands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

void printHelp()
{
    Console::out(QStringLiteral("Использование: %1 КОМАНДА [АРГУМЕНТЫ]")
                     .arg(QLatin1String(Console::ProgramName)));
    Console::out(QString());
    Console::out(QStringLiteral("Обслуживание файлов электронного учебника в текущей папке."));
    Console::out(QString());
    Console::out(QStringLiteral("Команды:"));
    for (const Command &c : Commands) {
        Console::out(QStringLiteral("  %1").arg(QLatin1String(c.synopsis)));
        Console::out(QStringLiteral("      %1").arg(c.summary()));
    }
    Console::out(QString());
    Console::out(QStringLiteral("Параметры:"));
    Console::out(QStringLiteral("  -h, --help"));
    Console::out(QStringLiteral("      показать эту справку; %1 КОМАНДА --help: справка о команде")
                     .arg(QLatin1String(Console::ProgramName)));
    Console::out(QStringLiteral("  -v, --version"));
    Console::out(QStringLiteral("      показать версию"));
    Console::out(QStringLiteral("  --admin-login FILE"));
    Console::out(QStringLiteral("      имя и пароль администратора, по строке, из файла, который "
                                "читает только владелец; без него команды, кроме register своего "
                                "имени, check и doctor, спрашивают их с терминала"));
    Console::out(QStringLiteral("  --server URI"));
    Console::out(
        QStringLiteral("      класс на сервере результатов (postgresql://…), а не в папке; "
                       "без него - сервер из строки Server= настроек, когда папка не "
                       "указана с --dir"));
    Console::out(QString());
    Console::out(QStringLiteral("Код выхода: 0 при успехе, 1 при ошибке, 2 когда папка класса "
                                "недоступна."));
}

} // namespace

int main(int argc, char *argv[])
{
    EngineLog::quietStartupDump();
    std::unique_ptr<QCoreApplication> app = RosterCommand::application(argc, argv);
    if (!app)
        app = ReportCommand::application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(COURSEBOOK_VERSION));
    // The tool's own options come before the command's name; everything from
    // the name on belongs to the command.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption adminLogin(QStringList{QStringLiteral("admin-login")}, QString(),
                                        QStringLiteral("FILE"));
    const QCommandLineOption server(QStringList{QStringLiteral("server")}, QString(),
                                    QStringLiteral("URI"));
    parser.addOptions({help, version, adminLogin, server});
    if (!parser.parse(QCoreApplication::arguments())) {
        Console::error(QStringLiteral("неизвестный параметр %1; список команд: %2 --help")
                           .arg(QStringLiteral("--") + parser.unknownOptionNames().value(0),
                                QLatin1String(Console::ProgramName)));
        return 1;
    }
    if (parser.isSet(version)) {
        Console::out(QStringLiteral("%1 %2").arg(QLatin1String(Console::ProgramName),
                                                 QCoreApplication::applicationVersion()));
        return 0;
    }
    QStringList args = parser.positionalArguments();
    if (parser.isSet(help) || args.value(0) == QLatin1String("help")) {
        printHelp();
        return 0;
    }
    if (args.isEmpty()) {
        printHelp();
        return 1;
    }
    const QString name = args.takeFirst();
    const Command *command = findCommand(name);
    if (!command) {
        Console::error(QStringLiteral("неизвестная команда %1; список команд: %2 --help")
                           .arg(name, QLatin1String(Console::ProgramName)));
        return 1;
    }
    if (args.contains(QLatin1String("--help"))) {
        // A command may have more than one form, each a row of the table.
        for (const Command &c : Commands) {
            if (name != QLatin1String(c.name))
                continue;
            Console::out(QStringLiteral("Использование: %1 %2")
                             .arg(QLatin1String(Console::ProgramName), QLatin1String(c.synopsis)));
            Console::out(QStringLiteral("  %1").arg(c.summary()));
            if (c.details) {
                Console::out(QString());
                Console::out(c.details());
            }
        }
        return 0;
    }

    try {
        if (parser.isSet(adminLogin))
            AdminLogin::setFile(parser.value(adminLogin));
        AdminLogin::takeOption(&args);
        // The server's own commands read their --server themselves.
        if (name != QLatin1String("server")) {
            if (parser.isSet(server))
                ClassServer::setUri(parser.value(server));
            ClassServer::takeOption(&args);
            if (ClassServer::given() && command->folderOnly)
                throw RuntimeError(QStringLiteral("команда работает только с папкой курса, не с "
                                                  "сервером (%1)")
                                       .arg(ClassServer::Option));
        } else if (parser.isSet(server)) {
            args.append({ClassServer::Option, parser.value(server)});
        }
        if (!command->forAnyone)
            AdminLogin::require(name);
        return command->run(args);
    } catch (const WorkingFolder::Unreachable &e) {
        Console::error(QStringLiteral("%1: %2").arg(QLatin1String(command->name), e.message()));
        return 2;
    } catch (const CommandArguments::UsageError &e) {
        Console::error(QStringLiteral("%1: %2; использование: %3 %4")
                           .arg(QLatin1String(command->name), e.message(),
                                QLatin1String(Console::ProgramName),
                                QLatin1String(command->synopsis)));
    } catch (const RuntimeError &e) {
        Console::error(QStringLiteral("%1: %2").arg(QLatin1String(command->name),
                                                    IoError::russianFirst(e.message())));
    } catch (const std::exception &e) {
        Console::error(QStringLiteral("%1: %2").arg(QLatin1String(command->name),
                                                    QString::fromUtf8(e.what())));
    }
    return 1;
}
