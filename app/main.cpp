#include "CourseFolder.h"
#include "CourseFolderPrompt.h"
#include "CourseInfo.h"
#include "EngineLog.h"
#include "Look.h"
#include "ProgramStart.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm5.h"
#include "TOKRightDlg.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTranslator>
#include <QWindow>

#include <cstdio>

namespace {

const QString ProgramName = QStringLiteral("coursebook");
// The desktop entry's and the icon's name.
const QString DesktopId = QStringLiteral("org.coursebook.Coursebook");
const QString FolderArgument = QStringLiteral("FOLDER");

const QCommandLineOption HelpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("показать эту справку"));
const QCommandLineOption VersionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("показать версию"));

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void define(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({HelpOption, VersionOption});
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
    for (const QCommandLineOption &option : {HelpOption, VersionOption}) {
        QStringList names;
        for (const QString &name : option.names())
            names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(names.join(QStringLiteral(", ")), option.description());
    }
    return text;
}

// --help and --version are answered before the windowing system is touched,
// so that both work in a terminal without a display. The toolkit's own
// options are still among the arguments here and are not refused yet.
bool answeredWithoutWindows(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    define(parser);
    parser.parse(args);
    if (parser.isSet(HelpOption)) {
        print(stdout, helpText());
        return true;
    }
    if (parser.isSet(VersionOption)) {
        print(stdout,
              QStringLiteral("%1 %2\n").arg(ProgramName, QStringLiteral(COURSEBOOK_VERSION)));
        return true;
    }
    return false;
}

// The folder named on the command line once the toolkit took its options;
// false with the reason on the terminal when the arguments make no sense.
bool folderArgument(QString &folder)
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
        print(stderr, QStringLiteral("%1: %2; справка: %1 --help\n").arg(ProgramName, problem));
        return false;
    }
    folder = parser.positionalArguments().value(0);
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

} // namespace

int main(int argc, char *argv[])
{
    if (answeredWithoutWindows(argc, argv))
        return 0;
    // The browser engine's sandbox cannot run for the superuser.
    if (ProgramStart::runsAsSuperuser() &&
        qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
    if (!folderArgument(argument))
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

    // Only the main window ends the program; the title page, the about and
    // the author window close without ending anything.
    QApplication::setQuitOnLastWindowClosed(false);

    // The title page comes first. Creating the main window starts the HTML
    // engine and loads the start page, which takes a while and happens
    // behind the page already on screen; the page's time runs from its own
    // creation as before.
    TForm3 form3(nullptr);
    form3.setWindowModality(Qt::ApplicationModal);
    showOnScreen(form3);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.setAuthoringWindow(&form2);
    form3.setMainWindow(&form1);
    TOKRightDlg okRightDlg;
    TForm5 form5;
    form1.setAboutWindow(&okRightDlg);
    form1.setAuthorWindow(&form5);

    bool ended = false;
    QObject::connect(&form1, &TForm1::closed, &app, [&ended] {
        ended = true;
        QCoreApplication::quit();
    });

    if (!form3.isClosed())
        form3.exec();
    if (ended)
        return 0;
    return app.exec();
}
