// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestFile.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A test file written back in the layout of a question source: questions
// 1 … count, each with its five answer lines, the right one marked, and a
// separator after each.
//
// For conversion the lines are exact: a fresh conversion of them gives the
// same questions, answers and right answers. The mark on an answer line is
// stored as a blank in its place, so a right answer ending in a blank gets
// its mark there; one ending otherwise is preceded by a bare marked prefix
// line ("B)*"), which sets the right answer and is then overwritten by the
// answer itself. The closing question line follows the last question: the
// text of the section after the last one where it reads as a question line,
// otherwise "Конец теста". Values that no source line can give are listed as
// problems.
class SourceExport
{
public:
    enum class Mode
    {
        Reading,
        Conversion
    };

    struct Result
    {
        QList<QByteArray> lines;
        QStringList problems; // in Russian, one per value
    };

    static Result build(const TestFile &file, Mode mode);

    // The lines as a Windows text: each followed by CR LF.
    static QByteArray join(const QList<QByteArray> &lines);
};
