#include "AnswerButton.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolTip>

AnswerButton::AnswerButton(const QString &text, QWidget *parent) : QRadioButton(text, parent) {}

int AnswerButton::captionWidth() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_RadioButtonContents, &option, this).width();
}

bool AnswerButton::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > captionWidth();
}

bool AnswerButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void AnswerButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press half of the double-click still marks the button.
    QRadioButton::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && hitButton(event->position().toPoint()))
        emit doubleClicked();
}

void AnswerButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = fontMetrics().elidedText(text(), Qt::ElideRight, captionWidth());
    painter.drawControl(QStyle::CE_RadioButton, option);
}

bool AnswerButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (isElided())
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QRadioButton::event(event);
}
