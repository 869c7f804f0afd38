// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoginPanel.h"

#include "Look.h"
#include "SpeedButton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

QLineEdit *field(QWidget *parent, const QString &name, int left, int top)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(left, top, 342, 28);
    e->setFont(Look::sansSerif(16, true));
    return e;
}

} // namespace

LoginPanel::LoginPanel(QFrame *panel)
{
    const QFont georgia = Look::font(QStringLiteral("Georgia"), 19, true, true);
    Label37 =
        Look::label(panel, QStringLiteral("Label37"), QStringLiteral("Регистрация пользователя"),
                    200, 16, Look::font(QStringLiteral("Times New Roman"), 32, true), Qt::blue);
    Label42 =
        Look::label(panel, QStringLiteral("Label42"),
                    QStringLiteral("Для первичной регистрации введите имя пользователя и пароль,"),
                    32, 64, Look::sansSerif(19));
    Label43 = Look::label(panel, QStringLiteral("Label43"),
                          QStringLiteral("затем нажмите кнопку \"Новый пользователь\""), 32, 96,
                          Look::sansSerif(19));
    Label1 = Look::label(panel, QStringLiteral("Label1"), QStringLiteral("Пользователь:"), 27, 143,
                         georgia);
    Edit2 = field(panel, QStringLiteral("Edit2"), 227, 139);
    Label2 =
        Look::label(panel, QStringLiteral("Label2"), QStringLiteral("Пароль:"), 43, 203, georgia);
    MaskEdit1 = field(panel, QStringLiteral("MaskEdit1"), 227, 205);
    Look::maskAsPassword(MaskEdit1);
    Label38 =
        Look::label(panel, QStringLiteral("Label38"),
                    QStringLiteral("Если вы зарегистрированы, то нажмите:"), 16, 296, georgia);

    QFont red = Look::sansSerif(19, true);
    // The access letters are free of the menu bar's and of each other.
    SpeedButton3 =
        SpeedButton::create(panel, QStringLiteral("SpeedButton3"), QStringLiteral("&Далее>>"),
                            QStringLiteral(":/pictures/login.jpg"), 507, 285, 286, 60, red, false);
    QPalette p = SpeedButton3->palette();
    p.setColor(QPalette::ButtonText, Look::red());
    SpeedButton3->setPalette(p);
    SpeedButton1 = SpeedButton::create(panel, QStringLiteral("SpeedButton1"),
                                       QStringLiteral("Новый поль&зователь"),
                                       QStringLiteral(":/pictures/register.jpg"), 219, 384, 358, 65,
                                       Look::sansSerif(19, true), false);
    SpeedButton2 = SpeedButton::create(panel, QStringLiteral("SpeedButton2"),
                                       QStringLiteral("Удал&ить пользователя"),
                                       QStringLiteral(":/pictures/remove.jpg"), 216, 480, 361, 65,
                                       Look::sansSerif(19, true), false);
    // The labels name their fields, for a screen reader too.
    Label1->setBuddy(Edit2);
    Label2->setBuddy(MaskEdit1);
    QWidget::setTabOrder(Edit2, MaskEdit1);
    QWidget::setTabOrder(MaskEdit1, SpeedButton3);
    QWidget::setTabOrder(SpeedButton3, SpeedButton1);
    QWidget::setTabOrder(SpeedButton1, SpeedButton2);
    // Return in the password field logs in, as "Далее>>" does.
    QObject::connect(MaskEdit1, &QLineEdit::returnPressed, SpeedButton3, &QAbstractButton::click);
    const auto request = [this](QToolButton *button, auto signal) {
        connect(button, &QAbstractButton::clicked, this,
                [this, signal] { emit(this->*signal)(Edit2->text(), MaskEdit1->text()); });
    };
    request(SpeedButton3, &LoginPanel::logInRequested);
    request(SpeedButton1, &LoginPanel::registerRequested);
    request(SpeedButton2, &LoginPanel::removeRequested);
}

QWidget *LoginPanel::firstControl() const
{
    return Edit2;
}
