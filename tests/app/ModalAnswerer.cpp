#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>

ModalAnswerer::ModalAnswerer(QMessageBox::StandardButton answer, QObject *parent)
    : QObject(parent), m_answer(answer)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

void ModalAnswerer::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    texts.append(box->text());
    icons.append(box->icon());
    buttons.append(box->standardButtons());
    if (QAbstractButton *button = box->button(m_answer))
        button->click();
    else
        box->reject();
}
