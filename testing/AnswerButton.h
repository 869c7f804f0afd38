// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRadioButton>

// An answer of the test screen. A single click only moves the selection mark,
// as with any radio button; a double-click is what answers, so it is reported
// on its own. From the keyboard the arrow keys move the focus and the mark to
// the next or previous answer, Space marks the focused one, and Return or the
// keypad's Enter answers with it as a double-click does. An answer longer than the button is shown
// cut off with an ellipsis and can be read whole in the tool tip; text() stays the whole answer.
class AnswerButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit AnswerButton(const QString &text, QWidget *parent = nullptr);

    // Whether the caption is cut off at the button's current width.
    bool isElided() const;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    // The whole button takes the click, not only the mark and the caption's
    // letters.
    bool hitButton(const QPoint &pos) const override;

private:
    int captionWidth() const;
    // The answer the arrow key leads to among the shown answers of the same
    // panel, going round at the ends; nullptr when there is no other.
    AnswerButton *neighbour(bool forward) const;
};
