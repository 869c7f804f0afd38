// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

// report [--dir DIR] [--html FILE] [--csv FILE] [--ods FILE [--final RULE]]
// [--pdf FILE] [--items-csv FILE]:
// the class at a glance from DIR's users, users.ini, settings file, test log
// and answer records, written to the files named; DIR itself is only read.
class ReportCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);

    // The application the tool runs in: the one the HTML engine needs when
    // the command line asks for a PDF report, the console one otherwise.
    static std::unique_ptr<QCoreApplication> application(int &argc, char **argv);
};
