// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportRegrade.h"

#include "HandlerGuard.h"
#include "IoError.h"
#include "RegradePreview.h"
#include "RuntimeError.h"

#include <QDateTime>
#include <QInputDialog>
#include <QMessageBox>
#include <QToolButton>

ReportRegrade::ReportRegrade(QWidget *panel) : QObject(panel), m_button(new QToolButton(panel))
{
    m_button->setObjectName(QStringLiteral("regradeTest"));
    m_button->setText(QStringLiteral("Пересчитать тест…"));
    m_button->setAccessibleName(QStringLiteral("Пересчитать оценки теста по исправленному ключу"));
    m_button->setFocusPolicy(Qt::StrongFocus);
    m_button->adjustSize();
    m_button->setVisible(false);
    choose = [this](const QString &prompt, const QStringList &items) {
        bool ok = false;
        const QString item =
            QInputDialog::getItem(window(), window()->windowTitle(), prompt, items, 0, false, &ok);
        return ok ? int(items.indexOf(item)) : -1;
    };
    confirm = [this](const GradeChanges::Plan &plan) {
        RegradePreview preview(plan, window());
        return preview.exec() == QDialog::Accepted;
    };
    connect(m_button, &QToolButton::clicked, this,
            [this] { HandlerGuard::run(window(), [this] { click(); }); });
}

QWidget *ReportRegrade::window() const
{
    return m_button->window();
}

void ReportRegrade::click()
{
    const QString caption = window()->windowTitle();
    if (!m_store || m_tests.isEmpty()) {
        QMessageBox::information(window(), caption,
                                 QStringLiteral("Ни один тест ещё не пройден: пересчитывать "
                                                "нечего."));
        return;
    }
    const int picked =
        choose(QStringLiteral("Какой тест пересчитать по его нынешнему ключу?"), m_captions);
    if (picked < 0)
        return;
    const int test = m_tests[picked];
    try {
        const GradeChanges::Plan plan = GradeChanges::plan(*m_store, test);
        if (!plan.runs) {
            QMessageBox::information(
                window(), caption,
                QStringLiteral("Записанных ответов теста %1 нет: пересчитывать нечего.")
                    .arg(plan.testMark));
            return;
        }
        if (!confirm(plan))
            return;
        // A run finished while the preview was open would go unseen.
        const GradeChanges::Plan now = GradeChanges::plan(*m_store, test);
        if (!GradeChanges::sameChanges(plan, now)) {
            QMessageBox::warning(window(), caption,
                                 QStringLiteral("Записи теста %1 изменились, пока показывался "
                                                "пересчёт; ничего не записано. Пересчитайте "
                                                "снова.")
                                     .arg(plan.testMark));
            return;
        }
        const int stored = GradeChanges::apply(*m_store, now, QDateTime::currentDateTime());
        QMessageBox::information(window(), caption,
                                 QStringLiteral("Тест %1 пересчитан: оценок изменилось %2, "
                                                "сохранено %3. Изменения записаны в журнал "
                                                "изменений.")
                                     .arg(now.testMark)
                                     .arg(now.regrades.size())
                                     .arg(stored));
    } catch (const RuntimeError &e) {
        QMessageBox::warning(
            window(), caption,
            QStringLiteral("Оценки не пересчитаны: %1").arg(IoError::russianFirst(e.message())));
        return;
    }
    emit regraded();
}
