// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// import FORMAT FILE [--out SOURCE]: a question bank in Aiken, GIFT or the
// quiz XML format written as a question source (Windows-1251, CR LF) that
// "convert" turns into a test, to SOURCE or to standard output. Standard
// error gets one finding per question not carried whole and the summary
// "N questions imported, M skipped"; the exit status is 0 only when every
// question came across whole. The source is written either way, unless the
// file is refused as a whole.
class ImportCommand
{
public:
    static const char *const Synopsis;
    static QString summary();
    static int run(const QStringList &args);
};
