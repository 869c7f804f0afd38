// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ShareAddress.h"

#include <QDialog>

#include <optional>

class QLineEdit;

// Asks for the user, the domain and the password of a share that is not
// open to guests, as the file manager does. What is typed goes to the one
// mount it is asked for; nothing of it is kept.
class ShareLoginDialog : public QDialog
{
    Q_OBJECT

public:
    // refused: the server refused the login given before.
    ShareLoginDialog(const QString &address, bool refused, QWidget *parent = nullptr);

    ShareAddress::Login login() const;

    // The login typed, or nothing when the user cancelled.
    static std::optional<ShareAddress::Login> ask(const QString &address, bool refused);

private:
    QLineEdit *m_user;
    QLineEdit *m_domain;
    QLineEdit *m_password;
};
