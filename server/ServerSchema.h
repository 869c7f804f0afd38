// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QSqlDatabase;

// The class schema's versioned files (NNN-name.sql, the number its version)
// and the database's own rights (database.sql), installed with the program in
// its shared data folder. A superuser's connection applies the files newer
// than the database's version, each in one transaction together with the
// record of its version.
class ServerSchema
{
public:
    struct File
    {
        int version = 0;
        QString path;
    };

    // COURSEBOOK_SERVER_SQL when set, else coursebook/server/sql in the
    // system's shared data folders. Throws RuntimeError when there is none.
    static QString folder();
    // The versioned files in the folder by version. Throws RuntimeError when
    // two files claim one version or there are none.
    static QList<File> files(const QString &folder);

    // The version the database holds; 0 for a database without the schema.
    // Throws RuntimeError on a failed read.
    static int version(QSqlDatabase &db);

    // Applies what the database lacks, then the database's rights; returns
    // the versions applied. A file that fails is taken back whole and
    // throws RuntimeError naming it and the server's reason; the versions
    // before it stay.
    static QList<int> apply(QSqlDatabase &db, const QString &folder);
};
