// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <array>

class AnswerButton;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QWidget;

// The controls of the test screen, built onto the main window's test panel
// Panel3: the question box, the answer panel Panel5 with the letters A … E and
// the five answer buttons, and the hidden RadioButton6 whose double-click
// handler the main window gives the answer routine. The builder lives as a
// child of Panel3; the controls belong to the panels.
class TestPanel : public QObject
{
    Q_OBJECT

public:
    static constexpr int AnswerCount = 5;

    explicit TestPanel(QFrame *panel3);

    // The question's text into the question box and the answers into the
    // captions of RadioButton1 … RadioButton5. No answer is marked afterwards,
    // and on a shown panel the focus is on the first answer. Texts are stored
    // Windows-1251 bytes.
    void showQuestion(const QByteArray &question,
                      const std::array<QByteArray, AnswerCount> &answers);

    // "Вопрос k из n" on the panel and as the question box's name; "Вопрос k"
    // where the count is unknown (below 1).
    void showNumber(int number, int count);

    // What the student must know about the run besides the question: a
    // connection lost, a wait for the server; empty hides it. Read out as
    // it changes.
    void showStatus(const QString &text);

    // The control that takes the focus when the panel comes to the front.
    QWidget *firstControl() const;

    // The look of a running test: the question box takes the colour of Panel3.
    void startLook();

    // RadioButton1 … RadioButton5 by number 1 … 5.
    AnswerButton *answerButton(int number) const;

    QFrame *Panel3;
    QLabel *Label34;
    QLabel *Label39;
    QPlainTextEdit *Memo1;
    QFrame *Panel5;
    QLabel *Label44;
    QLabel *Label45;
    QLabel *Label46;
    QLabel *Label47;
    QLabel *Label48;
    QLabel *QuestionNumber; // "Вопрос k из n"
    QLabel *KeyboardNote;   // how to answer without a mouse
    QLabel *StatusNote;     // the run's state, when it is not just going on
    AnswerButton *RadioButton1;
    AnswerButton *RadioButton2;
    AnswerButton *RadioButton3;
    AnswerButton *RadioButton4;
    AnswerButton *RadioButton5;
    AnswerButton *RadioButton6;

signals:
    // The answer of the number 1 … 5 chosen by a double-click.
    void answered(int number);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Panel5 keeps its distances to all four edges of Panel3.
    void followPanel3();
};
