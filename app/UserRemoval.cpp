// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserRemoval.h"

#include "Session.h"

#include <QMessageBox>
#include <QWidget>

#include <optional>

void UserRemoval::run(QWidget *window, Session &session, const QString &name,
                      const QString &password)
{
    const QString caption = window->windowTitle();
    const std::optional<int> grades = session.gradeCount(name, password);
    if (!grades) {
        QMessageBox::critical(window, caption,
                              QStringLiteral("Проверьте правильность имени и пароля!"));
        return;
    }
    const QString question =
        QStringLiteral("Удалить пользователя %1 и все его оценки?\nОценок: %2.")
            .arg(name)
            .arg(*grades);
    if (QMessageBox::question(window, caption, question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!session.removeUser(name, password))
        return;
    QMessageBox::information(window, caption,
                             QStringLiteral("Пользователь %1 удален. Администратор может вернуть "
                                            "его вместе с оценками.")
                                 .arg(name));
}
