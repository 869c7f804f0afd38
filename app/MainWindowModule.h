// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class ClassStore;
class QWidget;

// The main window and the windows it opens need the HTML engine, whose
// libraries take longer to load than the title page takes to show. They are
// therefore built as a module of their own, which the program loads once the
// title page is on screen; this is its one entry.
extern "C" {
// Called once when the main window has closed for good.
using MainWindowEnded = void (*)();
// Builds the main window with its companions (the authoring, about and author
// windows), all deleted with it, on the class's store made at the program's
// start, which goes with it too; the window is not shown yet.
using MainWindowFactory = QWidget *(*)(ClassStore *store, MainWindowEnded ended);
// The entry of that type; the program resolves it by name.
Q_DECL_EXPORT QWidget *coursebook_main_window(ClassStore *store, MainWindowEnded ended);
}

inline constexpr char MainWindowEntry[] = "coursebook_main_window";
