// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpeedButton.h"

#include "JpegImage.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>

SpeedButton::SpeedButton(QWidget *parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

SpeedButton *SpeedButton::create(QWidget *parent, const QString &objectName, const QString &caption,
                                 const QString &picture, int left, int top, int width, int height,
                                 const QFont &font, bool flat)
{
    auto *b = new SpeedButton(parent);
    b->setObjectName(objectName);
    b->setText(caption);
    b->setFont(font);
    b->setGeometry(left, top, width, height);
    b->m_flat = flat;
    b->setAutoRaise(flat);
    if (!picture.isEmpty()) {
        const QImage image = JpegImage::load(picture);
        if (!image.isNull()) {
            b->setIcon(QIcon(QPixmap::fromImage(image)));
            b->setIconSize(QSize(32, 32));
            b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
    }
    return b;
}

void SpeedButton::focusInEvent(QFocusEvent *event)
{
    setAutoRaise(false);
    QToolButton::focusInEvent(event);
}

void SpeedButton::focusOutEvent(QFocusEvent *event)
{
    setAutoRaise(m_flat);
    QToolButton::focusOutEvent(event);
}

void SpeedButton::keyPressEvent(QKeyEvent *event)
{
    // Space is the toolkit's own press; Return and Enter press it as a
    // default push button would.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // A held key presses once, not once a repeat.
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QToolButton::keyPressEvent(event);
}
