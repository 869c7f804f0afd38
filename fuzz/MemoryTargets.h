// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The fuzz targets that hand the readers their bytes directly, without the
// disk, the locks and the replacements the file targets go through, so that
// a run costs microseconds. Beside "no crash" each checks that the reading is
// the right one: the INI document against IniModel, the other readers
// against their rules restated here or against a second pass of their own
// output. Like FuzzTargets, each returns what went wrong, empty when nothing.
//
// In the fuzzer build each also times the code under test: an input of up to
// 1 MB that takes more than a second means a reader slower than linear.
class MemoryTargets
{
public:
    // Input: one byte n, n bytes of operations, then the file's bytes. Each
    // operation is a read, a write, a section removal or a section look-up
    // whose names come from the operation bytes or from the file's own names.
    static QByteArray iniDocument(QByteArrayView input);
    // Input: a test file, read whole.
    static QByteArray testWhole(QByteArrayView input);
    // Input: a question source text.
    static QByteArray questionLines(QByteArrayView input);
    // Input: the settings line.
    static QByteArray settingsParse(QByteArrayView input);
    // Input: the list file (read from a memory-backed file: the list has no
    // reading of bytes of its own).
    static QByteArray userNames(QByteArrayView input);
    // Input: a bank file of the format.
    static QByteArray aiken(QByteArrayView input);
    static QByteArray gift(QByteArrayView input);
    static QByteArray quizXml(QByteArrayView input);
    // Input: user names known to the class, one a line, then NUL, then the
    // test log; without a NUL the whole input is the log.
    static QByteArray testLog(QByteArrayView input);
};
