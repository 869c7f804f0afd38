// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// The controls of the login and registration panel, built onto the panel
// that the main window owns. The handlers stay with the main window. Tab goes
// from the name to the password and on to the three buttons; Return in the
// password field presses "Далее>>".
class LoginPanel
{
public:
    explicit LoginPanel(QFrame *panel);

    // The control that takes the focus when the panel comes to the front.
    QWidget *firstControl() const;

    QLabel *Label37;
    QLabel *Label42;
    QLabel *Label43;
    QLabel *Label1;
    QLineEdit *Edit2; // the name field
    QLabel *Label2;
    QLineEdit *MaskEdit1; // the password field, each character shown as "*"
    QLabel *Label38;
    QToolButton *SpeedButton3; // "Далее>>": login
    QToolButton *SpeedButton1; // "Новый пользователь": registration
    QToolButton *SpeedButton2; // "Удалить пользователя": removal
};
