// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClassSettings.h"

#include <QObject>
#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// The controls of the administrator settings panel, built onto the panel that
// the main window owns. "Применить" asks for the save, "Назад" for the way
// back; the main window does them.
class SettingsPanel : public QObject
{
    Q_OBJECT

public:
    explicit SettingsPanel(QFrame *panel, const QString &courseTitle);

    // The login, the password in both password edits, the log name.
    void showSettings(const ClassSettings &settings);
    // The settings as edited; the password is the confirmation's.
    ClassSettings edited() const;

    // The control that takes the focus when the panel comes to the front.
    QWidget *firstControl() const;

    QLabel *Label30;
    QLineEdit *Edit3; // administrator login
    QLabel *Label31;
    QLineEdit *Edit4; // administrator password
    QLabel *Label32;
    QLineEdit *Edit5; // password confirmation
    QLabel *Label33;
    QLineEdit *Edit6;          // test-log file name
    QToolButton *SpeedButton7; // "Применить"
    QToolButton *SpeedButton6; // "Назад"
    QLabel *Image3;
    QLabel *Label36;

signals:
    // The settings as edited, with the password as typed in both edits.
    void applyRequested(const ClassSettings &edited, const QString &password,
                        const QString &repeated);
    void backRequested();
};
