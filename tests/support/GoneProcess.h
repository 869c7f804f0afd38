// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Process ids for the tests of locks whose holder has died.
class GoneProcess
{
public:
    // The id of a process that has just ended; nothing runs under it until
    // the system hands it out again.
    static qint64 id();
};
