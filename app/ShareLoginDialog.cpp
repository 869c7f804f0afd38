// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShareLoginDialog.h"

#include "CourseInfo.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ShareLoginDialog::ShareLoginDialog(const QString &address, bool refused, QWidget *parent)
    : QDialog(parent), m_user(new QLineEdit(this)), m_domain(new QLineEdit(this)),
      m_password(new QLineEdit(this))
{
    setWindowTitle(CourseInfo::Title);
    auto *text = new QLabel(
        (refused ? QStringLiteral("Сервер не принял имя пользователя и пароль. ") : QString()) +
            QStringLiteral("Общая папка «%1» открыта только по имени пользователя и паролю. "
                           "Пароль нигде не сохраняется.")
                .arg(address),
        this);
    text->setWordWrap(true);
    // The lab's accounts usually carry the same name on the server.
    m_user->setText(qEnvironmentVariable("USER"));
    m_domain->setPlaceholderText(QStringLiteral("домен сервера"));
    m_password->setEchoMode(QLineEdit::Password);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Пользователь:"), m_user);
    form->addRow(QStringLiteral("&Домен:"), m_domain);
    form->addRow(QStringLiteral("П&ароль:"), m_password);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Подключить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
    (m_user->text().isEmpty() ? m_user : m_password)->setFocus();
}

ShareAddress::Login ShareLoginDialog::login() const
{
    return {m_user->text(), m_domain->text(), m_password->text()};
}

std::optional<ShareAddress::Login> ShareLoginDialog::ask(const QString &address, bool refused)
{
    ShareLoginDialog dialog(address, refused);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.login();
}
