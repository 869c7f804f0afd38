// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandlerGuard.h"

#include "RuntimeError.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <exception>

namespace {

QString &captionText()
{
    static QString text;
    return text;
}

} // namespace

bool HandlerGuard::run(QWidget *parent, const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const RuntimeError &error) {
        showError(parent, error.message());
    } catch (const std::exception &error) {
        showError(parent, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(parent, QStringLiteral("Unknown exception"));
    }
    return false;
}

void HandlerGuard::showError(QWidget *parent, const QString &message)
{
    QMessageBox::critical(parent, caption(), message);
}

void HandlerGuard::setCaption(const QString &text)
{
    captionText() = text;
}

QString HandlerGuard::caption()
{
    return captionText().isEmpty() ? QGuiApplication::applicationDisplayName() : captionText();
}
