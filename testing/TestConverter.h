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

private:
    std::array<QByteArray, SlotCount> m_slots;
};
