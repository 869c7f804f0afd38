// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// A TCP port on the loopback that this process holds without listening on
// it, for as long as it runs: a connection to it is refused at once by the
// system, and no other program can listen there in its place. 0 when the
// system gives none.
class DeadEndPort
{
public:
    static quint16 port();
};
