// SPDX-License-Identifier: GPL-3.0-or-later
#include "PickedUserButtons.h"

#include "CodePage.h"
#include "HandlerGuard.h"
#include "ProgressPanel.h"
#include "Session.h"

#include <QComboBox>
#include <QEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int left)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(left, 70, 101, 26);
    b->setVisible(false);
    return b;
}

} // namespace

PickedUserButtons::PickedUserButtons(QWidget *window, Session &session, ProgressPanel &progress)
    : QObject(window), m_window(window), m_session(session), m_progress(progress)
{
    QWidget *panel = progress.ComboBox1->parentWidget();
    passwordButton =
        button(panel, QStringLiteral("passwordButton"), QStringLiteral("Пароль…"), 395);
    renameButton = button(panel, QStringLiteral("renameButton"), QStringLiteral("Имя…"), 500);
    passwordButton->setAccessibleName(QStringLiteral("Новый пароль выбранного пользователя"));
    renameButton->setAccessibleName(QStringLiteral("Новое имя выбранного пользователя"));
    progress.ComboBox1->installEventFilter(this);
    ask = [this](const QString &prompt, const QString &text, bool password) {
        return QInputDialog::getText(m_window, m_window->windowTitle(), prompt,
                                     password ? QLineEdit::Password : QLineEdit::Normal, text);
    };
    connect(passwordButton, &QPushButton::clicked, this,
            [this] { HandlerGuard::run(m_window, [this] { passwordClick(); }); });
    connect(renameButton, &QPushButton::clicked, this,
            [this] { HandlerGuard::run(m_window, [this] { renameClick(); }); });
}

bool PickedUserButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_progress.ComboBox1 &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool shown = event->type() == QEvent::Show;
        passwordButton->setVisible(shown);
        renameButton->setVisible(shown);
    }
    return QObject::eventFilter(watched, event);
}

void PickedUserButtons::passwordClick()
{
    const QByteArray name = m_progress.currentUser();
    const QString shown = CodePage::toUnicode(name);
    const QString password =
        ask(QStringLiteral("Новый пароль пользователя %1:").arg(shown), QString(), true);
    if (password.isEmpty())
        return;
    if (ask(QStringLiteral("Повторите пароль:"), QString(), true) != password) {
        QMessageBox::critical(m_window, m_window->windowTitle(),
                              QStringLiteral("Проверьте пароль!"));
        return;
    }
    const UserChange r = m_session.resetPassword(name, password);
    if (!r.ok()) {
        QMessageBox::warning(m_window, m_window->windowTitle(),
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    QMessageBox::information(m_window, m_window->windowTitle(),
                             QStringLiteral("Пароль пользователя %1 изменён, оценки остались.")
                                 .arg(CodePage::toUnicode(r.name)));
}

void PickedUserButtons::renameClick()
{
    const QByteArray name = m_progress.currentUser();
    const QString shown = CodePage::toUnicode(name);
    const QString to = ask(QStringLiteral("Новое имя пользователя %1:").arg(shown), shown, false);
    if (to.isEmpty() || to == shown)
        return;
    const UserChange r = m_session.renameUser(name, to);
    if (!r.ok()) {
        QMessageBox::warning(m_window, m_window->windowTitle(),
                             CodePage::toUnicode(m_session.problemText(r, name)));
        return;
    }
    m_progress.showPicked(CodePage::fromUnicode(to));
    QMessageBox::information(
        m_window, m_window->windowTitle(),
        QStringLiteral("Пользователь %1 переименован в %2; оценки и журнал остались за ним.")
            .arg(CodePage::toUnicode(r.name), to));
}
