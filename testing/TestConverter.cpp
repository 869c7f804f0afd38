// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestConverter.h"

#include "CodePage.h"
#include "IniDocument.h"
#include "QuestionSource.h"
#include "SourceLine.h"
#include "Store.h"

#include <QHash>

#include <algorithm>

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
// Beside each value it keeps the source line the value came from (0 for one
// carried over from before the source), which names the line to mend when
// the store refuses the value.
class SectionWrites
{
public:
    using Values = std::array<QByteArray, ValueCount>;
    using Origins = std::array<int, ValueCount>;

    void set(const QByteArray &section, const Values &values, const Origins &origins)
    {
        const QByteArray folded = CodePage::fold(section);
        const auto found = m_index.constFind(folded);
        if (found != m_index.constEnd()) {
            m_values[*found] = values;
            m_origins[*found] = origins;
            return;
        }
        m_index.insert(folded, m_sections.size());
        m_sections.append(section);
        m_values.append(values);
        m_origins.append(origins);
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

    // Section names are numbers or a slot's initial text and the keys are
    // fixed, so only a value can hold what the store refuses.
    QList<int> unstorableOrigins() const
    {
        QList<int> out;
        for (qsizetype s = 0; s < m_sections.size(); ++s) {
            for (int k = 0; k < ValueCount; ++k) {
                if (m_origins[s][k] > 0 && TestConverter::unstorableByte(m_values[s][k]) >= 0)
                    out.append(m_origins[s][k]);
            }
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }

private:
    QHash<QByteArray, qsizetype> m_index;
    QList<QByteArray> m_sections;
    QList<Values> m_values;
    QList<Origins> m_origins;
};

struct Plan
{
    SectionWrites writes;
    std::array<QByteArray, TestConverter::SlotCount> state;
    int counter = 0;
};

Plan plan(const std::array<QByteArray, TestConverter::SlotCount> &start,
          const QList<QByteArray> &lines, const TestConverter::Progress &progress)
{
    Plan p;
    p.state = start;
    std::array<int, TestConverter::SlotCount> origin{};

    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray &line = lines[n];
        const int number = int(n + 1);
        switch (SourceLine::kind(line)) {
        case SourceLine::Kind::Empty:
        case SourceLine::Kind::Separator:
            break;
        case SourceLine::Kind::Answer: {
            QByteArray answer = line;
            if (SourceLine::isMarked(answer))
                answer[answer.size() - 1] = ' ';
            const int slot = TestConverter::AnswerSlotA + SourceLine::answerIndex(line);
            p.state[slot] = answer;
            origin[slot] = number;
            break;
        }
        case SourceLine::Kind::Question:
            p.state[TestConverter::QuestionSlot] = line;
            origin[TestConverter::QuestionSlot] = number;
            ++p.counter;
            p.state[TestConverter::NumberSlot] = QByteArray::number(p.counter);
            break;
        }
        if (const char digit = SourceLine::markedDigit(line)) {
            p.state[TestConverter::RightAnswerSlot] = QByteArray(1, digit);
            origin[TestConverter::RightAnswerSlot] = number;
        }

        SectionWrites::Values values;
        SectionWrites::Origins origins;
        std::copy_n(p.state.begin(), ValueCount, values.begin());
        std::copy_n(origin.begin(), ValueCount, origins.begin());
        p.writes.set(p.state[TestConverter::NumberSlot], values, origins);

        if (progress)
            progress(p.counter);
    }
    return p;
}

// Whether a test file value can hold the byte, by the store's own rule.
std::array<bool, 256> buildStorableTable()
{
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = IniDocument::canStore(QByteArrayLiteral("1"), QByteArrayLiteral("q"),
                                         Store::encode(QByteArray(1, char(b))));
    return table;
}

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
    const Plan p = plan(m_slots, lines, progress);
    QList<IniProfile::Entry> entries = p.writes.entries();
    const Result result{p.counter, p.counter - 1};
    entries.append(
        {QByteArrayLiteral("inf"), QByteArrayLiteral("vsego"), QByteArray::number(result.count)});
    Store::writeMany(entries, outputRelativeName);

    m_slots = p.state;
    return result;
}

QList<int> TestConverter::unstorableLines(const QList<QByteArray> &lines) const
{
    return plan(m_slots, lines, {}).writes.unstorableOrigins();
}

qsizetype TestConverter::unstorableByte(const QByteArray &line)
{
    static const std::array<bool, 256> storable = buildStorableTable();
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (!storable[static_cast<unsigned char>(line[i])])
            return i;
    }
    return -1;
}

QString TestConverter::unstorableText(const QList<QByteArray> &lines, const QList<int> &unstorable)
{
    if (unstorable.isEmpty())
        return QString();
    const int number = unstorable.first();
    const QByteArray line = lines.value(number - 1);
    const qsizetype at = unstorableByte(line);
    if (at < 0)
        return QString();
    QString text =
        QStringLiteral("Строка %1 текста вопросов содержит в позиции %2 знак с кодом %3, "
                       "который нельзя сохранить в файле теста. Тест не записан.")
            .arg(number)
            .arg(at + 1)
            .arg(int(static_cast<unsigned char>(line[at])));
    if (unstorable.size() > 1)
        text += QStringLiteral(" Строк с такими знаками: %1.").arg(unstorable.size());
    return text;
}

QString TestConverter::nameRefusal(const QString &typedName)
{
    if (CodePage::canSpell(typedName))
        return QString();
    return QStringLiteral("Название теста «%1» содержит знаки, которых нет в кодировке "
                          "Windows-1251, и файл теста получил бы другое имя. Используйте русские "
                          "и латинские буквы, цифры и обычные знаки.")
        .arg(typedName);
}
