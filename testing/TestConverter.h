// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "IniProfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>

// The authoring tool's conversion of a question source text into a scrambled
// test file. The eight slots hold the conversion's state between lines and
// between conversions: they start as "Edit1" … "Edit8" once per object and are
// never cleared, so a conversion begins with whatever the previous one left.
// The window that owns the object lives for the whole program run.
class TestConverter
{
public:
    enum Slot
    {
        QuestionSlot,
        AnswerSlotA,
        AnswerSlotB,
        AnswerSlotC,
        AnswerSlotD,
        AnswerSlotE,
        RightAnswerSlot,
        NumberSlot,
        SlotCount
    };

    struct Result
    {
        int questionLines = 0; // the line counter at the end
        int count = 0;         // what went to "vsego": one less
    };

    // Called after every line with the number of question lines read so far.
    using Progress = std::function<void(int counter)>;

    TestConverter();

    const QByteArray &slot(Slot s) const { return m_slots[s]; }

    // "\" + name + ".ini": the output file in the current directory.
    static QByteArray outputName(const QByteArray &testName);

    // Reads the source (a local path) and writes the test file named relative
    // to the current directory. A source that cannot be opened throws the
    // runtime's input/output error before anything is written; a refused write
    // throws the store's write error, and then neither the file nor the slots
    // change, so the next conversion starts where this one started.
    Result convert(const QString &sourcePath, const QByteArray &outputRelativeName,
                   const Progress &progress = {});
    Result convertLines(const QList<QByteArray> &lines, const QByteArray &outputRelativeName,
                        const Progress &progress = {});

    // The source lines (numbered from 1) whose bytes would reach the file but
    // hold one the store cannot keep, in increasing order. The store refuses
    // the whole file for any one of them, so a conversion from this object's
    // slots writes nothing unless the list is empty. A line whose value a
    // later line replaces before it is written is not among them.
    QList<int> unstorableLines(const QList<QByteArray> &lines) const;

    // The position of the first byte of a line that no test file value can
    // hold (its scrambled form would end the line in the file), -1 when the
    // store keeps every byte.
    static qsizetype unstorableByte(const QByteArray &line);

    // The refusal that names the first of those lines, in Russian; empty when
    // the list is empty or its first line holds no such byte.
    static QString unstorableText(const QList<QByteArray> &lines, const QList<int> &unstorable);

    // The refusal of a typed test name that the code page cannot spell, which
    // would name the file with other letters; empty for a name it can.
    static QString nameRefusal(const QString &typedName);

private:
    std::array<QByteArray, SlotCount> m_slots;
};
