// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTest>

// A test of a real component (the share's clients, an X server, the
// accessibility bus, the results server) that cannot start it. On a
// developer's machine it is skipped with the reason; where CI=true is set, as
// the continuous integration runs the test command, it fails with the reason,
// since a proof that silently does not run proves nothing.
class RealComponent
{
public:
    // Whether this run must run every real component: CI is "true" (or 1).
    static bool required();

    // The words of the skip, which CTest's SKIP_REGULAR_EXPRESSION
    // "cannot start here, skipped: " recognises, and of the failure.
    static QByteArray skipText(const QString &why);
    static QByteArray failureText(const QString &why);
};

// Ends the current test function: skipped, or failed under CI=true.
#define COURSEBOOK_COMPONENT_MISSING(why)                                                          \
    do {                                                                                           \
        const QString missingWhy_ = (why);                                                         \
        if (RealComponent::required())                                                             \
            QFAIL(RealComponent::failureText(missingWhy_).constData());                            \
        QSKIP(RealComponent::skipText(missingWhy_).constData());                                   \
    } while (false)
