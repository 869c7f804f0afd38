// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestRun.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <array>

class CourseStructure;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QToolButton;
class QWidget;

// The controls of the progress view, built onto the panel that the main
// window owns: one row per test, the logged-in user's name and, for the
// administrator, the list of registered users. A pick from the list (not
// typing) and "<<Назад" are asked of the main window.
class ProgressPanel : public QObject
{
    Q_OBJECT

public:
    explicit ProgressPanel(QFrame *panel);

    // The control that takes the focus when the panel comes to the front.
    QWidget *firstControl() const;

    // One row per test of the course, in its order, with its label; the rows
    // of tests the course lacks are hidden.
    void showTests(const CourseStructure &course);
    struct ShownTest
    {
        int number = 0; // k of testk
        QString label;
    };
    // The rows showTests() put up, in their order.
    const QList<ShownTest> &shownTests() const { return m_shownTests; }

    // The value labels show the table's entries as unsigned decimal numbers.
    // changes: the teacher's changes to these grades, listed below them.
    void showScores(const std::array<quint8, 12> &scores, const QStringList &changes = {});
    void showUserName(const QByteArray &name);

    // The combo box's items are the user list; each keeps its stored bytes.
    // A name too long for the box is cut at its end, and shown whole in its
    // tool tip and to a screen reader.
    void setUsers(const QList<QByteArray> &names);
    // The user picked anew after the list changed under the same person (a
    // rename): the box and the name shown say the new name.
    void showPicked(const QByteArray &name);
    // The combo box's current text as stored bytes: the picked name, or what
    // was typed.
    QByteArray currentUser() const;
    // The administrator's list of users comes up.
    void showUserList();

    // The run just finished: its right answers of its questions and those
    // answered wrong, each with the answer given. The right answer is not
    // shown, so that a retake stays a test. The review stays until the next
    // finished run; the administrator's pick of a user hides it, since the
    // rows then show another user's grades.
    void showReview(int right, int count, const QList<TestRun::Mistake> &mistakes);
    void hideReview();

    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QLabel *changesLabel;
    QComboBox *ComboBox1;
    QLabel *Label40;
    QLabel *Label41;
    std::array<QLabel *, 12> testLabels;  // Label6 ... Label17
    std::array<QLabel *, 12> valueLabels; // Label18 ... Label29
    QLabel *Label35;
    QToolButton *SpeedButton4; // "<<Назад"
    QLabel *rightAnswers;      // "Правильных ответов: k из n"
    QLabel *mistakesLabel;     // "Ошибки"
    QListWidget *mistakes;

signals:
    void userPicked();
    void backRequested();

private:
    QList<ShownTest> m_shownTests;
};
