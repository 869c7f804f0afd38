// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFolder.h"
#include "CourseFolderPrompt.h"
#include "CourseInfo.h"
#include "EngineLog.h"
#include "FolderStore.h"
#include "Look.h"
#include "MainWindowModule.h"
#include "ProgramStart.h"
#include "ServerStart.h"
#include "ServerStore.h"
#include "TForm3.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QLibrary>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>
#include <memory>

QT_BEGIN_NAMESPACE
// The toolkit's own hook for the one context the HTML engine's views share;
// exported by QtGui for the engine, which sets it the same way.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace {

const QString ProgramName = QStringLiteral("coursebook");
// The desktop entry's and the icon's name.
const QString DesktopId = QStringLiteral("org.coursebook.Coursebook");
const QString FolderArgument = QStringLiteral("FOLDER");

const QCommandLineOption HelpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("показать эту справку"));
const QCommandLineOption VersionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("показать версию"));
const QCommandLineOption ServerOption(
    QStringLiteral("server"),
    QStringLiteral("сервер, на котором хранятся записи класса (пользователи, оценки, журнал),\n"
                   "      postgresql://РОЛЬ@УЗЕЛ:ПОРТ/БАЗА?sslmode=verify-full&sslrootcert=ФАЙЛ;\n"
                   "      без него: Server в /etc/xdg/coursebook/coursebook.conf, иначе записи\n"
                   "      хранятся в папке курса"),
    QStringLiteral("URI"));

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void define(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({HelpOption, VersionOption, ServerOption});
    parser.addPositionalArgument(FolderArgument, QString(), QStringLiteral("[FOLDER]"));
}

QString helpText()
{
    QString text = QStringLiteral("Использование: %1 [ПАРАМЕТРЫ] [FOLDER]\n\n").arg(ProgramName);
    text += QStringLiteral("Электронный учебник курса «%1».\n\n").arg(CourseInfo::Title);
    text += QStringLiteral(
        "Аргументы:\n"
        "  FOLDER\n"
        "      папка учебного курса или адрес общей папки smb://СЕРВЕР/РЕСУРС/ПАПКА; без неё:\n"
        "      папка класса (ClassFolder в /etc/xdg/coursebook/coursebook.conf), иначе текущая\n"
        "      папка, если в ней есть курс, иначе папка прошлого запуска, иначе своя копия\n"
        "      образца курса в папке данных пользователя\n\n"
        "Параметры:\n");
    for (const QCommandLineOption &option : {HelpOption, VersionOption, ServerOption}) {
        QStringList names;
        for (const QString &name : option.names())
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        const QString value = option.valueName().isEmpty() ? QString() : u' ' + option.valueName();
        text += QStringLiteral("  %1%2\n      %3\n")
                    .arg(names.join(QStringLiteral(", ")), value, option.description());
    }
    return text;
}

void usageError(const QString &problem)
{
    print(stderr, QStringLiteral("%1: %2; справка: %1 --help\n").arg(ProgramName, problem));
}

// --help and --version are answered before the windowing system is touched,
// so that both work in a terminal without a display, and so is a server's
// address that does not parse. The toolkit's own options are still among the
// arguments here and are not refused yet. The exit code, or -1 when nothing
// was answered.
int answeredWithoutWindows(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    define(parser);
    parser.parse(args);
    if (parser.isSet(HelpOption)) {
        print(stdout, helpText());
        return 0;
    }
    if (parser.isSet(VersionOption)) {
        print(stdout,
              QStringLiteral("%1 %2\n").arg(ProgramName, QStringLiteral(COURSEBOOK_VERSION)));
        return 0;
    }
    if (parser.isSet(ServerOption)) {
        if (const QString why = ServerStart::choose(parser.value(ServerOption), QString()).why;
            !why.isEmpty()) {
            usageError(why);
            return 1;
        }
    }
    return -1;
}

// The folder and the server named on the command line once the toolkit took
// its options; false with the reason on the terminal when the arguments make
// no sense.
bool commandLine(QString &folder, QString &server)
{
    QCommandLineParser parser;
    define(parser);
    QString problem;
    if (!parser.parse(QCoreApplication::arguments()))
        problem =
            QStringLiteral("неизвестный параметр --%1").arg(parser.unknownOptionNames().value(0));
    else if (parser.positionalArguments().size() > 1)
        problem = QStringLiteral("больше одной папки курса");
    if (!problem.isEmpty()) {
        usageError(problem);
        return false;
    }
    folder = parser.positionalArguments().value(0);
    server = parser.value(ServerOption);
    return true;
}

// Shows the window and waits until it is drawn on screen, or a second at
// most, so that the work that follows cannot hold it back.
void showOnScreen(QWidget &window)
{
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
           waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
}

// The HTML engine's views draw with one graphics context shared by all. Made
// before the application object, it would cost the title page the graphics
// driver's loading; it is made once the page is on screen and before the
// engine is loaded, as the engine itself would make it.
void shareGraphicsContext()
{
    static QOpenGLContext *shared = nullptr;
    if (shared)
        return;
    shared = new QOpenGLContext;
    shared->create();
    // The engine takes the context from here; the attribute that would ask
    // the toolkit to make it can only be set before the application object.
    qt_gl_set_global_share_context(shared);
    qAddPostRoutine([] {
        qt_gl_set_global_share_context(nullptr);
        delete shared;
        shared = nullptr;
    });
}

// Whether the class's server answers, asked while the title page is on
// screen and the user is shown that the program waits; one that does not is
// said with its cause and asked again on "Повторить". False when the user
// chose "Выход": the course folder's records never stand in for the server's.
bool reachServer(const ServerStore &store, const ServerAddress &address)
{
    ServerStart start(address, store.shown());
    QEventLoop loop;
    QString failure;
    QObject::connect(&start, &ServerStart::reached, &loop, [&loop] { loop.exit(0); });
    QObject::connect(&start, &ServerStart::failed, &loop, [&loop, &failure](const QString &text) {
        failure = text;
        loop.exit(1);
    });
    for (;;) {
        start.attempt();
        // A server that answers at once spares the user the box.
        std::unique_ptr<QProgressDialog> waiting;
        QTimer later;
        later.setSingleShot(true);
        QObject::connect(&later, &QTimer::timeout, &loop, [&] {
            waiting = std::make_unique<QProgressDialog>(start.waitingText(),
                                                        QStringLiteral("Выход"), 0, 0);
            waiting->setWindowTitle(CourseInfo::Title);
            waiting->setWindowModality(Qt::ApplicationModal);
            QObject::connect(waiting.get(), &QProgressDialog::canceled, &loop,
                             [&loop] { loop.exit(2); });
            waiting->show();
        });
        later.start(400);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        const int result = loop.exec();
        QApplication::restoreOverrideCursor();
        later.stop();
        waiting.reset();
        if (result == 0)
            return true;
        if (result == 2)
            return false;
        print(stderr, QStringLiteral("%1: %2\n").arg(ProgramName, failure));
        QMessageBox box(QMessageBox::Warning, CourseInfo::Title, failure);
        QPushButton *retry = box.addButton(QStringLiteral("Повторить"), QMessageBox::AcceptRole);
        QPushButton *quit = box.addButton(QStringLiteral("Выход"), QMessageBox::RejectRole);
        box.setDefaultButton(retry);
        box.setEscapeButton(quit);
        box.exec();
        if (box.clickedButton() != retry)
            return false;
    }
}

bool mainWindowEnded = false;

// The main window from the program's private library folder; nothing, the
// reason shown and printed on the terminal, when the installation lacks it.
QWidget *loadMainWindow(std::unique_ptr<ClassStore> store)
{
    QLibrary module(QDir(QCoreApplication::applicationDirPath())
                        .filePath(QStringLiteral(COURSEBOOK_WINDOWS_MODULE)));
    const auto factory = reinterpret_cast<MainWindowFactory>(module.resolve(MainWindowEntry));
    if (!factory) {
        const QString reason =
            QStringLiteral("Окна программы не загружаются, установка повреждена: %1")
                .arg(module.errorString());
        print(stderr, QStringLiteral("%1: %2\n").arg(ProgramName, reason));
        QMessageBox::critical(nullptr, CourseInfo::Title, reason);
        return nullptr;
    }
    return factory(store.release(), [] {
        mainWindowEnded = true;
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int code = answeredWithoutWindows(argc, argv); code >= 0)
        return code;
    // The browser engine's sandbox cannot run for the superuser.
    if (ProgramStart::runsAsSuperuser() &&
        qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    EngineLog::quietStartupDump();
    QApplication::setApplicationName(ProgramName);
    QApplication::setApplicationVersion(QStringLiteral(COURSEBOOK_VERSION));
    QGuiApplication::setDesktopFileName(DesktopId);
    QApplication::setWindowIcon(QIcon::fromTheme(DesktopId));
    // Selected menu entries and list items read at 4.5:1 like every text.
    QApplication::setPalette(Look::readable(QApplication::palette()));
    // The program speaks Russian, its standard dialogs' buttons included.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);

    QString argument;
    QString serverArgument;
    if (!commandLine(argument, serverArgument))
        return 1;
    // Everything of the course is read relative to the folder entered here.
    QSettings settings(ProgramName, ProgramName);
    const QString sample = QDir::cleanPath(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(COURSEBOOK_SAMPLE)));
    CourseFolder course(settings, sample,
                        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                        CourseFolder::systemClassFolder());
    if (const int code = CourseFolderPrompt::enter(course, argument))
        return code;
    // The records are kept where the lab keeps them: on its server, named
    // here once, or in the course folder, whose pages are read either way.
    const ServerStart::Choice server =
        ServerStart::choose(serverArgument, ServerAddress::systemServer());
    if (!server.why.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\n").arg(ProgramName, server.why));
        QMessageBox::critical(nullptr, CourseInfo::Title, server.why);
        return 1;
    }
    std::unique_ptr<ClassStore> store;
    if (server.address)
        store = std::make_unique<ServerStore>(*server.address);
    else
        store = std::make_unique<FolderStore>(QDir::currentPath());

    // Only the main window ends the program; the title page, the about and
    // the author window close without ending anything.
    QApplication::setQuitOnLastWindowClosed(false);

    // The title page comes first. The main window's module with the HTML
    // engine is loaded behind the page already on screen; creating the main
    // window starts the engine and loads the start page. The page's time runs
    // from its own creation as before.
    TForm3 form3(nullptr);
    form3.setWindowModality(Qt::ApplicationModal);
    showOnScreen(form3);
    if (server.address && !reachServer(static_cast<const ServerStore &>(*store), *server.address))
        return CourseFolderPrompt::Quit;
    shareGraphicsContext();
    const std::unique_ptr<QWidget> form1(loadMainWindow(std::move(store)));
    if (!form1)
        return 1;
    form3.setMainWindow(form1.get());

    if (!form3.isClosed())
        form3.exec();
    if (mainWindowEnded)
        return 0;
    return app.exec();
}
