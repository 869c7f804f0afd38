// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The HTML engine prints some twenty lines of its start-up parameters at
// every start as information. The programs keep the terminal to what needs
// reading: those lines show only when asked for, with QT_LOGGING_RULES
// "qt.webenginecontext.info=true"; warnings and errors of the engine are
// printed as ever.
class EngineLog
{
public:
    // Called once the application object exists: making it drops the rules
    // given before.
    static void quietStartupDump();
};
