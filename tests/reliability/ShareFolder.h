// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where a reliability test makes its folders: the system's temporary folder,
// or the classroom share when COURSEBOOK_SHARE_STATE names the state file of
// the share fixture (tests/reliability/share/share-fixture), so the same
// proofs run on both.
class ShareFolder
{
public:
    // Whether this run is to be on the share.
    static bool requested();

    // A template for QTemporaryDir below the folder; empty when the share was
    // asked for and cannot be had, the reason then in *why, worded for
    // QSKIP and beginning with "no classroom share: ".
    static QString tempTemplate(QString *why);

    // The same folder on the share (a path below tempTemplate's) as a second
    // machine sees it through the desktop's GVFS client; empty when that
    // client could not mount the share, the reason then in *why, worded for
    // QSKIP.
    static QString throughGvfs(const QString &path, QString *why);

    // The value of a line "key=value" of the fixture's state; empty when
    // there is none.
    static QString stateValue(const QByteArray &key);

    // "on the share" or "on the local disk", for the counts a test prints.
    static const char *where();

    // The locks (files or folders) below the folder, by their paths relative
    // to it.
    static QStringList locksIn(const QString &folder);
};
