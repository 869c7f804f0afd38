// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegradePreview.h"

#include "AnswerRecord.h"
#include "CodePage.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

RegradePreview::RegradePreview(const GradeChanges::Plan &plan, QWidget *parent)
    : QDialog(parent), m_table(new QTableWidget(int(plan.regrades.size()), 5, this))
{
    setObjectName(QStringLiteral("regradePreview"));
    setWindowTitle(QStringLiteral("Пересчёт теста %1").arg(plan.testMark));
    QStringList lines{QStringLiteral("Попыток теста %1 пересчитано по нынешнему ключу: %2, "
                                     "оценок изменится: %3.")
                          .arg(plan.testMark)
                          .arg(plan.runs)
                          .arg(plan.regrades.size())};
    if (plan.otherCount)
        lines.append(QStringLiteral("Не пересчитано попыток с другим числом вопросов: %1.")
                         .arg(plan.otherCount));
    if (!plan.badLines.isEmpty())
        lines.append(QStringLiteral("Нечитаемых записей ответов: %1.").arg(plan.badLines.size()));
    lines.append(plan.regrades.isEmpty()
                     ? QStringLiteral("Записать ключ в журнал изменений?")
                     : QStringLiteral("Записать изменения в журнал изменений и сохранить оценки?"));
    m_summary = lines.join(u'\n');
    auto *summary = new QLabel(m_summary, this);
    summary->setWordWrap(true);

    m_table->setObjectName(QStringLiteral("regrades"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Пользователь"), QStringLiteral("Попытка"),
                                        QStringLiteral("Было"), QStringLiteral("Стало"),
                                        QStringLiteral("Оценка в списке")});
    m_table->setAccessibleName(QStringLiteral("Изменения оценок"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    for (int row = 0; row < plan.regrades.size(); ++row) {
        const GradeChange &c = plan.regrades[row];
        const QString cells[] = {
            CodePage::toUnicode(c.user),
            QString::fromLatin1(AnswerRecord::timeText(c.runDate, c.runTime)),
            QString::number(c.oldGrade), QString::number(c.newGrade),
            // Where the stored grade is another run's or set by hand, it stays.
            plan.stores.value(row) ? QStringLiteral("меняется")
                                   : QStringLiteral("не меняется: не от этой попытки")};
        for (int column = 0; column < 5; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Записать"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(640, 420);
}
