// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The administrator's settings of a class: the login and password of the
// administrator's way in, and the name of the test log (which a store may
// ignore when it keeps its log otherwise). Windows-1251.
struct ClassSettings
{
    QByteArray login;
    QByteArray password;
    QByteArray logName;
};
