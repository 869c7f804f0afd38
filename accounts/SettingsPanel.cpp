// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsPanel.h"

#include "CodePage.h"
#include "JpegImage.h"
#include "Look.h"
#include "SpeedButton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>

namespace {

QLineEdit *field(QWidget *parent, const QString &name, int top, bool masked)
{
    auto *e = new QLineEdit(name, parent);
    e->setObjectName(name);
    e->setGeometry(16, top, 345, 28);
    e->setFont(Look::sansSerif(16, true));
    if (masked)
        Look::maskAsPassword(e);
    return e;
}

} // namespace

SettingsPanel::SettingsPanel(QFrame *panel, const QString &courseTitle)
{
    const QFont bold = Look::sansSerif(16, true);
    Label30 = Look::label(panel, QStringLiteral("Label30"),
                          QStringLiteral("Введите логин администратора:"), 18, 22, bold);
    Edit3 = field(panel, QStringLiteral("Edit3"), 50, false);
    Label31 = Look::label(panel, QStringLiteral("Label31"),
                          QStringLiteral("Введите пароль администратора"), 18, 88, bold);
    Edit4 = field(panel, QStringLiteral("Edit4"), 116, true);
    Label32 = Look::label(panel, QStringLiteral("Label32"),
                          QStringLiteral("Введите пароль еще раз:"), 14, 152, bold);
    Edit5 = field(panel, QStringLiteral("Edit5"), 180, true);
    Label33 = Look::label(panel, QStringLiteral("Label33"),
                          QStringLiteral("Укажите имя файл отчета"), 22, 220, bold);
    Edit6 = field(panel, QStringLiteral("Edit6"), 246, false);
    SpeedButton7 = SpeedButton::create(
        panel, QStringLiteral("SpeedButton7"), QStringLiteral("Пр&именить"),
        QStringLiteral(":/pictures/apply.jpg"), 19, 292, 174, 61, Look::sansSerif(19, true), true);
    SpeedButton6 = SpeedButton::create(
        panel, QStringLiteral("SpeedButton6"), QStringLiteral("На&зад"),
        QStringLiteral(":/pictures/back.jpg"), 203, 290, 174, 63, Look::sansSerif(19, true), true);
    Image3 = new QLabel(panel);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(448, 32, 433, 321);
    Image3->setScaledContents(true);
    Image3->setPixmap(
        QPixmap::fromImage(JpegImage::load(QStringLiteral(":/pictures/settings.jpg"))));
    Label36 = Look::label(panel, QStringLiteral("Label36"), courseTitle, 48, 480,
                          Look::font(QStringLiteral("Times New Roman"), 21, true));
    QWidget::setTabOrder(Edit3, Edit4);
    QWidget::setTabOrder(Edit4, Edit5);
    QWidget::setTabOrder(Edit5, Edit6);
    connect(SpeedButton7, &QAbstractButton::clicked, this,
            [this] { emit applyRequested(edited(), Edit4->text(), Edit5->text()); });
    connect(SpeedButton6, &QAbstractButton::clicked, this, &SettingsPanel::backRequested);
    QWidget::setTabOrder(Edit6, SpeedButton7);
    QWidget::setTabOrder(SpeedButton7, SpeedButton6);
    // The labels name their fields, for a screen reader too.
    Label30->setBuddy(Edit3);
    Label31->setBuddy(Edit4);
    Label32->setBuddy(Edit5);
    Label33->setBuddy(Edit6);
}

QWidget *SettingsPanel::firstControl() const
{
    return Edit3;
}

void SettingsPanel::showSettings(const ClassSettings &settings)
{
    Edit3->setText(CodePage::toUnicode(settings.login));
    Edit4->setText(CodePage::toUnicode(settings.password));
    Edit5->setText(CodePage::toUnicode(settings.password));
    Edit6->setText(CodePage::toUnicode(settings.logName));
}

ClassSettings SettingsPanel::edited() const
{
    ClassSettings settings;
    settings.login = CodePage::fromUnicode(Edit3->text());
    settings.password = CodePage::fromUnicode(Edit5->text());
    settings.logName = CodePage::fromUnicode(Edit6->text());
    return settings;
}
