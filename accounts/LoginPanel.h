#pragma once

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;

// The controls of the login and registration panel, built onto the panel
// that the main window owns. The handlers stay with the main window.
class LoginPanel
{
public:
    explicit LoginPanel(QFrame *panel);

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
