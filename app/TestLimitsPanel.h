// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class CourseStructure;
class QComboBox;
class QFrame;
class QLabel;
class QSpinBox;
class QToolButton;
class ServerStore;

// Beside the administrator's settings on a server: a test's attempt limit
// and the least pause between its attempts, read from the server when the
// settings come up or another test is picked, and saved there. Zero stands
// for none, as a course folder has.
class TestLimitsPanel : public QObject
{
    Q_OBJECT

public:
    // Lives as long as the settings panel it is put on.
    TestLimitsPanel(QFrame *panel, ServerStore &store, const CourseStructure &course);

    QComboBox *test;
    QSpinBox *attempts;
    QSpinBox *pauseMinutes;
    QToolButton *save;

    // The picked test's limits as the server has them.
    void load();
    // The shown limits onto the server, and the box that says so.
    void store();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *m_panel;
    ServerStore &m_store;
};
