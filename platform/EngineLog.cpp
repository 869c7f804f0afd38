// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineLog.h"

#include <QLoggingCategory>

void EngineLog::quietStartupDump()
{
    // Rules given here rank below QT_LOGGING_RULES and QT_LOGGING_CONF, so
    // the user's own choice still wins.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}
