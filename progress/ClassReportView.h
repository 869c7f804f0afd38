// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassReport.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QToolButton;
class ClassStore;
class QWebEngineView;
class ReportRegrade;
class QWidget;

// The class report inside the program: the page of the working folder's
// report in the HTML view, a button over the view that saves it where the
// administrator chooses, and one that grades a test again by its mended key
// (ReportRegrade), after which the report is read anew. Nothing is written
// into the class folder to show it.
class ClassReportView : public QObject
{
    Q_OBJECT

public:
    enum class Format
    {
        Html,
        Csv,      // the class table
        ItemsCsv, // the analysis of questions
        Pdf,
        Ods, // the spreadsheet, the final grade the mean of the tests taken
    };

    ClassReportView(QWebEngineView *view, QWidget *coursePagePanel);

    // Reads the store's class anew and shows its page in the view, or, for a
    // page larger than the view takes in memory, a note to save it. The save
    // button is there until the view goes to another page.
    void show(ClassStore &store);

    // Writes the report last shown. Throws RuntimeError where it cannot,
    // and refuses a file of the class itself.
    void save(const QString &path, Format format) const;

    // The save button's command: a file and a format asked for, then saved;
    // a refusal is said in a box and writes nothing.
    void askAndSave();

    QToolButton *saveButton() const { return m_save; }
    ReportRegrade &regrade() const { return *m_regrade; }
    // The address the view shows the report under.
    QUrl shownUrl() const { return m_shown; }

private:
    QWebEngineView *m_view;
    QToolButton *m_save;
    ReportRegrade *m_regrade;
    ClassReport m_report;
    QByteArray m_html;
    QUrl m_shown;
};
