// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Access letters for one menu level, picked the way the windowing toolkit's
// automatic mode picks them: going down the siblings in order, each caption
// gets the first of its letters that no earlier sibling took (letter case
// does not count), marked with "&". A caption without a free letter gets no
// mark. An "&" that is part of a caption is doubled so it shows as itself.
class AccessKeys
{
public:
    static QStringList assign(const QStringList &captions);

    // The access letter a marked caption carries (lower case), or a null QChar.
    static QChar letterOf(const QString &marked);
};
