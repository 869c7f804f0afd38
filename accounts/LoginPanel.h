// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// The controls of the login and registration panel, built onto the panel
// that the main window owns. Each button asks for its operation with the name
// and the password as typed; the main window does it. Tab goes from the name
// to the password and on to the three buttons; Return in the password field
// presses "Далее>>".
class LoginPanel : public QObject
{
    Q_OBJECT

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

signals:
    void logInRequested(const QString &name, const QString &password);
    void registerRequested(const QString &name, const QString &password);
    void removeRequested(const QString &name, const QString &password);
};
