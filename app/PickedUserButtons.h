// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class ProgressPanel;
class QPushButton;
class QWidget;
class Session;

// The administrator's two buttons beside the user list of the progress view:
// a new password and a new name for the user picked there, the grades kept.
// They show and hide with the list. The session does the work; this asks
// for the text and tells the outcome.
class PickedUserButtons : public QObject
{
    Q_OBJECT

public:
    PickedUserButtons(QWidget *window, Session &session, ProgressPanel &progress);

    // Asks for a text: the prompt, the text to start from and whether it is
    // a password; an empty result is a cancel. A dialog unless replaced.
    std::function<QString(const QString &prompt, const QString &text, bool password)> ask;

    QPushButton *passwordButton;
    QPushButton *renameButton;

    void passwordClick();
    void renameClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    Session &m_session;
    ProgressPanel &m_progress;
};
