// SPDX-License-Identifier: GPL-3.0-or-later
#include "RealComponent.h"

bool RealComponent::required()
{
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return ci == "true" || ci == "1" || ci == "yes";
}

QByteArray RealComponent::skipText(const QString &why)
{
    return "cannot start here, skipped: " + why.toUtf8();
}

QByteArray RealComponent::failureText(const QString &why)
{
    return "cannot start, and CI=true requires every real component to run: " + why.toUtf8();
}
