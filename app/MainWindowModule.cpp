// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowModule.h"

#include "ClassStore.h"
#include "ServerStore.h"
#include "TForm1.h"
#include "TForm2.h"
#include "TForm5.h"
#include "TOKRightDlg.h"
#include "TestLimitsPanel.h"

extern "C" Q_DECL_EXPORT QWidget *coursebook_main_window(ClassStore *store, MainWindowEnded ended)
{
    auto *form1 = new TForm1(std::unique_ptr<ClassStore>(store));
    auto *form2 = new TForm2(form1);
    form1->setAuthoringWindow(form2);
    // On a server the teacher sets each test's attempt limit and pause there,
    // and the authoring window's tests go there: the lab machines read them
    // from the server, without their keys.
    if (auto *server = dynamic_cast<ServerStore *>(store)) {
        new TestLimitsPanel(form1->panel(PanelSwitch::Panel7), *server, form1->course());
        form2->publish = [server](const QByteArray &testName, const QByteArray &file) {
            return QStringLiteral("Тест опубликован на %1, версия %2.")
                .arg(server->shown())
                .arg(server->publish(testName, file));
        };
    }
    // The about and the author window are windows of their own, not children
    // of the main window, as before; they go with it.
    auto *okRightDlg = new TOKRightDlg;
    auto *form5 = new TForm5;
    form1->setAboutWindow(okRightDlg);
    form1->setAuthorWindow(form5);
    QObject::connect(form1, &QObject::destroyed, [okRightDlg, form5] {
        delete form5;
        delete okRightDlg;
    });
    QObject::connect(form1, &TForm1::closed, form1, [ended] { ended(); });
    return form1;
}
