#include "TestConverter.h"

#include "CodePage.h"
#include "QuestionSource.h"
#include "SourceLine.h"
#include "Store.h"

#include <QHash>

namespace {

constexpr int ValueCount = TestConverter::NumberSlot; // q, a1 … a5, ap

const std::array<QByteArray, ValueCount> &valueKeys()
{
    static const std::array<QByteArray, ValueCount> keys = {
        QByteArrayLiteral("q"),  QByteArrayLiteral("a1"), QByteArrayLiteral("a2"),
        QByteArrayLiteral("a3"), QByteArrayLiteral("a4"), QByteArrayLiteral("a5"),
        QByteArrayLiteral("ap")};
    return keys;
}

// Every line writes the same seven keys into the section the number slot
// names, and a repeated write replaces the value in the line the first one
// made. So the file depends only on the order in which sections first appear
// and on the last values written to each: keeping just those gives the file
// that writing after every line would give, in a fraction of the writes.
class SectionWrites
{
public:
    void set(const QByteArray &section, const std::array<QByteArray, ValueCount> &values)
    {
        const QByteArray folded = CodePage::fold(section);
        const auto found = m_index.constFind(folded);
        if (found != m_index.constEnd()) {
            m_values[*found] = values;
            return;
        }
        m_index.insert(folded, m_sections.size());
        m_sections.append(section);
        m_values.append(values);
    }

    QList<IniProfile::Entry> entries() const
    {
        QList<IniProfile::Entry> out;
        out.reserve(m_sections.size() * ValueCount + 1);
        for (qsizetype s = 0; s < m_sections.size(); ++s) {
            for (int k = 0; k < ValueCount; ++k)
                out.append({m_sections[s], valueKeys()[k], m_values[s][k]});
        }
        return out;
    }

private:
    QHash<QByteArray, qsizetype> m_index;
    QList<QByteArray> m_sections;
    QList<std::array<QByteArray, ValueCount>> m_values;
};

} // namespace

TestConverter::TestConverter()
{
    for (int s = 0; s < SlotCount; ++s)
        m_slots[s] = "Edit" + QByteArray::number(s + 1);
}

QByteArray TestConverter::outputName(const QByteArray &testName)
{
    return '\\' + testName + ".ini";
}

TestConverter::Result TestConverter::convert(const QString &sourcePath,
                                             const QByteArray &outputRelativeName,
                                             const Progress &progress)
{
    return convertLines(QuestionSource::read(sourcePath), outputRelativeName, progress);
}

TestConverter::Result TestConverter::convertLines(const QList<QByteArray> &lines,
                                                  const QByteArray &outputRelativeName,
                                                  const Progress &progress)
{
    std::array<QByteArray, SlotCount> state = m_slots;
    SectionWrites writes;
    int counter = 0;

    for (const QByteArray &line : lines) {
        switch (SourceLine::kind(line)) {
        case SourceLine::Kind::Empty:
        case SourceLine::Kind::Separator:
            break;
        case SourceLine::Kind::Answer: {
            QByteArray answer = line;
            if (SourceLine::isMarked(answer))
                answer[answer.size() - 1] = ' ';
            state[AnswerSlotA + SourceLine::answerIndex(line)] = answer;
            break;
        }
        case SourceLine::Kind::Question:
            state[QuestionSlot] = line;
            ++counter;
            state[NumberSlot] = QByteArray::number(counter);
            break;
        }
        if (const char digit = SourceLine::markedDigit(line))
            state[RightAnswerSlot] = QByteArray(1, digit);

        std::array<QByteArray, ValueCount> values;
        std::copy_n(state.begin(), ValueCount, values.begin());
        writes.set(state[NumberSlot], values);

        if (progress)
            progress(counter);
    }

    QList<IniProfile::Entry> entries = writes.entries();
    const Result result{counter, counter - 1};
    entries.append(
        {QByteArrayLiteral("inf"), QByteArrayLiteral("vsego"), QByteArray::number(result.count)});
    Store::writeMany(entries, outputRelativeName);

    m_slots = state;
    return result;
}
