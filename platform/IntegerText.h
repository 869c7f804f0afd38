// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RuntimeError.h"

#include <QByteArray>

// The runtime's conversion of a stored text to an integer: an optional sign
// followed by decimal digits that fit a signed 32-bit number. Anything else,
// the empty text and the unscrambled missing-value marker included, throws
// RuntimeError "'%s' is not a valid integer value" with the text as read.
class IntegerText
{
public:
    static int parse(const QByteArray &text);

    // The conversion error for a text, for callers that refuse a text the
    // conversion itself would take.
    static RuntimeError notAnInteger(const QByteArray &text);
};
