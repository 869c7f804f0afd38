// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class ClassStore;
#include <QString>

class QFrame;
class QPlainTextEdit;

// The test log view on the main window's panel Panel6: the memo Memo2 that
// shows the test log file whole, as plain text, read-only; every load
// replaces it with the file as it is now.
class LogPanel
{
public:
    explicit LogPanel(QFrame *panel6);

    // Replaces the memo's lines with those of the store's test log. A log
    // that is missing or cannot be read throws, naming it, and the memo keeps
    // its text.
    void load(const ClassStore &store);

    // The file's Windows-1251 text as the memo's lines: CR LF, a lone LF and a
    // lone CR each end a line; a line end at the very end adds no empty line.
    static QString linesOf(const QByteArray &text);

    QFrame *Panel6;
    QPlainTextEdit *Memo2;
};
