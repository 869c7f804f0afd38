// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerButton.h"

#include <QHelpEvent>
#include <QKeyEvent>
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
    if (event->button() == Qt::LeftButton && hitButton(event->position().toPoint())) {
        emit doubleClicked();
        // The answer may have brought the next question; the release of this
        // press must not mark an answer of it.
        setDown(false);
    }
}

void AnswerButton::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers != Qt::NoModifier)
            break;
        // A held key must not answer the questions that follow as well.
        if (!event->isAutoRepeat()) {
            setChecked(true);
            emit doubleClicked();
        }
        return;
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right:
        if (modifiers != Qt::NoModifier)
            break;
        // The toolkit moves the mark along only when the focused answer was
        // marked; here the arrow marks as a single click does.
        if (AnswerButton *next =
                neighbour(event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)) {
            next->setFocus(Qt::TabFocusReason);
            next->click();
        } else {
            click();
        }
        return;
    default:
        break;
    }
    QRadioButton::keyPressEvent(event);
}

AnswerButton *AnswerButton::neighbour(bool forward) const
{
    QWidget *panel = parentWidget();
    if (!panel)
        return nullptr;
    QList<AnswerButton *> shown;
    for (AnswerButton *b : panel->findChildren<AnswerButton *>(Qt::FindDirectChildrenOnly))
        if (b->isVisibleTo(panel) && b->isEnabled())
            shown.append(b);
    const qsizetype at = shown.indexOf(const_cast<AnswerButton *>(this));
    if (at < 0 || shown.size() < 2)
        return nullptr;
    const qsizetype n = shown.size();
    return shown.at((at + (forward ? 1 : n - 1)) % n);
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
