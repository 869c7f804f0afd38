// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GradeChanges.h"

#include <QDialog>

class QTableWidget;

// What a regrade would change, shown before anything is stored: a row a
// changed grade (the user, the run, the grade before and after, whether the
// stored grade follows) and the counts the tool's --dry-run tells. Accepted
// with "Записать", rejected with "Отмена".
class RegradePreview : public QDialog
{
    Q_OBJECT

public:
    RegradePreview(const GradeChanges::Plan &plan, QWidget *parent = nullptr);

    QTableWidget *table() const { return m_table; }
    // The counts above the table.
    QString summary() const { return m_summary; }

private:
    QTableWidget *m_table;
    QString m_summary;
};
