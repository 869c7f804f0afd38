// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassStore.h"
#include "GradeChanges.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QToolButton;
class QWidget;

// The class report's button that grades a test's recorded runs again by its
// mended key, as the tool's regrade does: the test asked for, every changed
// grade shown (RegradePreview) and nothing stored before the administrator
// confirms. A refusal is said in a box and changes nothing; what was stored
// is said, and the report is read again to show it.
class ReportRegrade : public QObject
{
    Q_OBJECT

public:
    explicit ReportRegrade(QWidget *panel);

    QToolButton *button() const { return m_button; }
    // The class the report was read from and the tests offered, 1 … 10, in
    // the course's order with their captions; the button is shown only after
    // this.
    void setClass(ClassStore &store, const QList<int> &tests, const QStringList &captions)
    {
        m_store = &store;
        m_tests = tests;
        m_captions = captions;
    }
    ClassStore &store() const { return *m_store; }

    // Asks for one of the items; -1 is a cancel. A dialog unless replaced.
    std::function<int(const QString &prompt, const QStringList &items)> choose;
    // Shows the plan and answers whether to store it. A dialog unless replaced.
    std::function<bool(const GradeChanges::Plan &plan)> confirm;

    void click();

signals:
    void regraded();

private:
    QWidget *window() const;

    QToolButton *m_button;
    ClassStore *m_store = nullptr;
    QList<int> m_tests;
    QStringList m_captions;
};
