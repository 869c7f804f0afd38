#include "ProgramStart.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm3.h"
#include "TForm5.h"
#include "TOKRightDlg.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The browser engine's sandbox cannot run for the superuser.
    if (ProgramStart::runsAsSuperuser() &&
        qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("coursebook"));
    // The program speaks Russian, its standard dialogs' buttons included.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&toolkitTexts);
    // Only the main window ends the program; the title page, the about and
    // the author window close without ending anything.
    QApplication::setQuitOnLastWindowClosed(false);

    TForm1 form1;
    TForm2 form2(&form1);
    form1.setAuthoringWindow(&form2);
    TForm3 form3(&form1);
    TOKRightDlg okRightDlg;
    TForm5 form5;
    form1.setAboutWindow(&okRightDlg);
    form1.setAuthorWindow(&form5);

    bool ended = false;
    QObject::connect(&form1, &TForm1::closed, &app, [&ended] {
        ended = true;
        QCoreApplication::quit();
    });

    form3.exec();
    if (ended)
        return 0;
    return app.exec();
}
