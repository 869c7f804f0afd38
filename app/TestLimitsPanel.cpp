// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestLimitsPanel.h"

#include "CourseStructure.h"
#include "HandlerGuard.h"
#include "Look.h"
#include "ServerStore.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QToolButton>

namespace {

constexpr int Top = 540;

QSpinBox *spin(QFrame *panel, const QString &name, int left, const QString &none)
{
    auto *box = new QSpinBox(panel);
    box->setObjectName(name);
    box->setGeometry(left, Top + 28, 150, 28);
    box->setFont(Look::sansSerif(16));
    box->setRange(0, 9999);
    box->setSpecialValueText(none);
    return box;
}

} // namespace

TestLimitsPanel::TestLimitsPanel(QFrame *panel, ServerStore &store, const CourseStructure &course)
    : QObject(panel), m_panel(panel), m_store(store)
{
    const QFont bold = Look::sansSerif(16, true);
    QLabel *testLabel = Look::label(panel, QStringLiteral("LimitsTestLabel"),
                                    QStringLiteral("Тест на сервере:"), 18, Top, bold);
    test = new QComboBox(panel);
    test->setObjectName(QStringLiteral("LimitsTest"));
    test->setGeometry(16, Top + 28, 345, 28);
    test->setFont(Look::sansSerif(16));
    for (const MenuTree::Entry *entry : course.tests())
        test->addItem(entry->caption, entry->name);
    testLabel->setBuddy(test);
    // The drop-down list is a control of its own to a screen reader.
    test->view()->setAccessibleName(QStringLiteral("Тесты на сервере"));
    QLabel *attemptsLabel = Look::label(panel, QStringLiteral("LimitsAttemptsLabel"),
                                        QStringLiteral("Попыток:"), 380, Top, bold);
    attempts = spin(panel, QStringLiteral("LimitsAttempts"), 380, QStringLiteral("без предела"));
    attemptsLabel->setBuddy(attempts);
    QLabel *pauseLabel = Look::label(panel, QStringLiteral("LimitsPauseLabel"),
                                     QStringLiteral("Пауза, мин:"), 545, Top, bold);
    pauseMinutes = spin(panel, QStringLiteral("LimitsPause"), 545, QStringLiteral("без паузы"));
    pauseLabel->setBuddy(pauseMinutes);
    save = new QToolButton(panel);
    save->setObjectName(QStringLiteral("LimitsSave"));
    save->setText(QStringLiteral("Сохранить ограничения"));
    save->setFont(bold);
    save->setGeometry(16, Top + 66, 260, 36);

    // Shown with the panel, also where it is put on a panel already shown.
    for (QWidget *w : std::initializer_list<QWidget *>{testLabel, test, attemptsLabel, attempts,
                                                       pauseLabel, pauseMinutes, save})
        w->show();

    const auto guarded = [this](void (TestLimitsPanel::*handler)()) {
        HandlerGuard::run(m_panel->window(), [this, handler] { (this->*handler)(); });
    };
    connect(test, &QComboBox::activated, this, [guarded] { guarded(&TestLimitsPanel::load); });
    connect(save, &QToolButton::clicked, this, [guarded] { guarded(&TestLimitsPanel::store); });
    panel->installEventFilter(this);
}

bool TestLimitsPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The settings come up only after the administrator's log-in.
    if (watched == m_panel && event->type() == QEvent::Show)
        HandlerGuard::run(m_panel->window(), [this] { load(); });
    return QObject::eventFilter(watched, event);
}

void TestLimitsPanel::load()
{
    const ServerStore::Limits limits = m_store.limits(test->currentData().toString().toLatin1());
    attempts->setValue(limits.attempts.value_or(0));
    pauseMinutes->setValue((limits.pauseSeconds.value_or(0) + 59) / 60);
}

void TestLimitsPanel::store()
{
    ServerStore::Limits limits;
    if (attempts->value() > 0)
        limits.attempts = attempts->value();
    if (pauseMinutes->value() > 0)
        limits.pauseSeconds = pauseMinutes->value() * 60;
    m_store.setLimits(test->currentData().toString().toLatin1(), limits);
    QMessageBox::information(m_panel->window(), HandlerGuard::caption(),
                             QStringLiteral("Ограничения теста «%1» сохранены на %2.")
                                 .arg(test->currentText(), m_store.shown()));
}
