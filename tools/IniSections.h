// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The section names of an INI file in the order of their first appearance, by
// the header rule the profile reads with: blanks around a header line and
// around its name are ignored, the first "]" ends the name (a header without
// "]" runs to the end of its line), and of two names equal without regard to
// letter case the first is the one that counts.
class IniSections
{
public:
    // Throws the runtime's input/output error when the file cannot be read.
    static QList<QByteArray> list(const QString &path);
    static QList<QByteArray> parse(const QByteArray &text);
};
