// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer, QObject *parent)
    : QObject(parent), m_answer(answer)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

void ModalAnswerer::poll()
{
    // The box is looked for among the visible windows: the offscreen platform
    // does not always report it as the active modal widget.
    QMessageBox *box = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<QMessageBox *>(w); candidate && candidate->isVisible())
            box = candidate;
    }
    if (!box)
        return;
    texts.append(box->text());
    icons.append(box->icon());
    titles.append(box->windowTitle());
    buttons.append(box->standardButtons());
    if (QAbstractButton *button = box->button(m_answer))
        button->click();
    else
        box->reject();
}
