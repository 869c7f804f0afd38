// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers the message boxes a window opens modally during a test: it polls
// for a visible message box, notes the box's text and presses the button
// given. Other modal windows are closed with reject when closeOthers is set.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit ModalAnswerer(QMessageBox::StandardButton answer, QObject *parent = nullptr);

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

    QStringList texts;              // in the order the boxes came
    QList<QMessageBox::Icon> icons; // the icon of each box
    QList<QMessageBox::StandardButtons> buttons;
    QStringList titles; // the caption of each box

private:
    void poll();

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};
