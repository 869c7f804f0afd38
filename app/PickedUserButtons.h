// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class ProgressPanel;
class QPushButton;
class QWidget;
class Session;

// The administrator's buttons beside the user list of the progress view: a
// new password and a new name for the user picked there, the grades kept; a
// grade set by hand with a reason; a removed user brought back, the removal
// picked by its date where several are kept and, over an account registered
// again, replaced or merged as the administrator answers. They show and hide
// with the list. The session does the work; this asks and tells the outcome.
class PickedUserButtons : public QObject
{
    Q_OBJECT

public:
    PickedUserButtons(QWidget *window, Session &session, ProgressPanel &progress);

    // Asks for a text: the prompt, the text to start from and whether it is
    // a password; an empty result is a cancel. A dialog unless replaced.
    std::function<QString(const QString &prompt, const QString &text, bool password)> ask;
    // Asks for one of the items; -1 is a cancel. A dialog unless replaced.
    std::function<int(const QString &prompt, const QStringList &items)> choose;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void passwordClick();
    void renameClick();
    void gradeClick();
    void restoreClick();

    // Found by their object names, as their own names.
    QPushButton *passwordButton;
    QPushButton *renameButton;
    QPushButton *gradeButton;
    QPushButton *restoreButton;
    QWidget *m_window;
    Session &m_session;
    ProgressPanel &m_progress;
};
