// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempWorkDir.h"

#include <QString>
#include <QStringList>

#include <memory>

class ClassStore;
class ModalAnswerer;
class QAction;
class QLineEdit;
class QPixmap;
class QToolButton;
class QWidget;
class TForm1;

// The installation folder a main-window test runs in and the user's ways
// with the window: the settings file names the administrator "admin" with
// password "secret" and the log "log.txt", and the contents page exists.
// A test class derives from it and calls setUp from init, tearDown from
// cleanup.
class MainWindowFixture
{
public:
    void setUp();
    void tearDown();

    // The class of the folder the test made current, for the window to
    // keep: TForm1 form(MainWindowFixture::store());
    static std::unique_ptr<ClassStore> store();

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    const TempWorkDir &work() const { return *m_dir; }

    // The panel the user sees: the front-most visible one. Siblings are
    // painted in the order of the parent's child list, the last in front.
    static QString frontPanel(const TForm1 &form);
    // The enabled flag the entry carries. A hidden action reports itself as
    // disabled whatever its flag; shown for a moment it reports the flag.
    static bool enabledFlag(QAction *action);
    // Shows the window; false when it never came on screen.
    [[nodiscard]] static bool show(TForm1 &form);

    // Replaces the edit's text key by key.
    static void type(QLineEdit *edit, const QString &text);
    static void click(QToolButton *button);
    // Types name and password into the login panel and presses the button that logs in.
    static void logIn(TForm1 &form, const QString &name, const QString &password);
    // Types name and password into the login panel and presses the button
    // that registers a new user.
    static void registerUser(TForm1 &form, const QString &name, const QString &password);
    // Puts name and password into the login panel without typing.
    static void typeLogin(TForm1 &form, const QString &name, const QString &password);
    // Registers a new student and logs them in: the contents come up.
    static void registerAndLogin(TForm1 &form, ModalAnswerer &answerer, const QString &name,
                                 const QString &password);
    // Logs the administrator in: the progress view with the user list comes
    // up.
    static void loginAsAdministrator(TForm1 &form, const QString &password);

    // Screens for a look by eye, saved when COURSEBOOK_SHOTS names a folder.
    static void saveShot(const QPixmap &picture, const QString &name);
    static void saveShot(QWidget *window, const QString &name);

    // The text of the page the window shows, read again until it holds every
    // one of the texts or the time is up; what it read last. The engine's
    // answer may come late, under load, and after the caller has gone.
    static QString pageText(TForm1 &form, const QStringList &holds, int timeoutMs = 20000);

private:
    std::unique_ptr<TempWorkDir> m_dir;
};
