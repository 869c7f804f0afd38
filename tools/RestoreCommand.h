// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// restore NAME [--date WHEN] [--replace|--keep-best]: a removed user back with
// the grades one removal kept in removed-users.ini, picked by its date where
// there are several; restore --list NAME: every kept removal of the name.
class RestoreCommand
{
public:
    static const char *const Synopsis;
    static const char *const ListSynopsis;
    static QString summary();
    static QString listSummary();
    static int run(const QStringList &args);
};
