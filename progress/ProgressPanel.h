#pragma once

#include <QByteArray>
#include <QList>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QToolButton;

// The controls of the progress view, built onto the panel that the main
// window owns: one row per test, the logged-in user's name and, for the
// administrator, the list of registered users.
class ProgressPanel
{
public:
    explicit ProgressPanel(QFrame *panel);

    // The value labels show the table's entries as unsigned decimal numbers.
    void showScores(const std::array<quint8, 12> &scores);
    void showUserName(const QByteArray &name);

    // The combo box's items are the user list; each keeps its stored bytes.
    void setUsers(const QList<QByteArray> &names);
    // The combo box's current text as stored bytes: the picked name, or what
    // was typed.
    QByteArray currentUser() const;

    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;
    QComboBox *ComboBox1;
    QLabel *Label40;
    QLabel *Label41;
    std::array<QLabel *, 12> testLabels;  // Label6 ... Label17
    std::array<QLabel *, 12> valueLabels; // Label18 ... Label29
    QLabel *Label35;
    QToolButton *SpeedButton4; // "<<Назад"
};
