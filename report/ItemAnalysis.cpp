// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemAnalysis.h"

#include "AnswerRecord.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "RuntimeError.h"
#include "TextLines.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

ItemAnalysis::Fault faultOf(AnswerRecord::Fault fault)
{
    switch (fault) {
    case AnswerRecord::Fault::BadTime:
        return ItemAnalysis::Fault::BadTime;
    case AnswerRecord::Fault::UnknownTest:
        return ItemAnalysis::Fault::UnknownTest;
    case AnswerRecord::Fault::BadGrade:
        return ItemAnalysis::Fault::BadGrade;
    case AnswerRecord::Fault::BadVersion:
        return ItemAnalysis::Fault::BadVersion;
    case AnswerRecord::Fault::BadAnswers:
        return ItemAnalysis::Fault::BadAnswers;
    case AnswerRecord::Fault::None:
    case AnswerRecord::Fault::FieldCount:
        break;
    }
    return ItemAnalysis::Fault::FieldCount;
}

// Views into the bytes of the record file, which outlive the analysis.
struct Run
{
    qsizetype line = 0;
    QByteArrayView text;
    QByteArrayView chosen;
    QByteArrayView right;
    QByteArray user; // folded
};

struct Group
{
    int test = 0;
    QByteArray version;
    QList<Run> runs;
    QByteArray mendedKey;
};

// The value most runs share; of equals, the one met first.
template <typename T, typename Of> T commonest(const QList<Run> &runs, Of of)
{
    QHash<T, int> counts;
    T best{};
    int bestCount = 0;
    for (const Run &run : runs) {
        const int count = ++counts[of(run)];
        if (count > bestCount) {
            best = of(run);
            bestCount = count;
        }
    }
    return best;
}

ItemAnalysis::Version analyse(const Group &group, ItemAnalysis::Attempts attempts,
                              QList<ItemAnalysis::BadRecord> &bad)
{
    // Records of one version come from one file, so all have its length and
    // its right answers; one that differs was damaged or made by hand.
    const qsizetype n =
        commonest<qsizetype>(group.runs, [](const Run &r) { return r.chosen.size(); });
    QList<Run> sameLength;
    sameLength.reserve(group.runs.size());
    for (const Run &run : group.runs) {
        if (run.chosen.size() == n)
            sameLength.append(run);
        else
            bad.append({run.line, ItemAnalysis::Fault::OtherLength, TextLines::kept(run.text)});
    }
    const QByteArrayView recorded =
        commonest<QByteArrayView>(sameLength, [](const Run &r) { return r.right; });
    // The runs a regrade graded by a mended key are analysed by that key.
    const bool mended = group.mendedKey.size() == n;
    const QByteArrayView key = mended ? QByteArrayView(group.mendedKey) : recorded;
    QList<QByteArrayView> runs;
    runs.reserve(sameLength.size());
    qsizetype firstLine = 0;
    QSet<QByteArray> users; // who has a run counted
    int repeats = 0;
    for (const Run &run : sameLength) {
        if (run.right != recorded) {
            bad.append({run.line, ItemAnalysis::Fault::OtherKey, TextLines::kept(run.text)});
            continue;
        }
        if (attempts == ItemAnalysis::Attempts::First) {
            if (users.contains(run.user)) {
                ++repeats;
                continue;
            }
            users.insert(run.user);
        }
        if (runs.isEmpty())
            firstLine = run.line;
        runs.append(run.chosen);
    }

    ItemAnalysis::Version version;
    version.test = group.test;
    version.version = group.version;
    version.runs = int(runs.size());
    version.firstLine = firstLine;
    version.mended = mended;
    version.repeats = repeats;

    // Sums for Pearson's r of x (the question right or not) and y (the
    // run's right answers on the other questions), exact in whole numbers.
    struct Sums
    {
        qint64 x = 0, y = 0, xy = 0, yy = 0;
    };
    QList<Sums> sums(n);
    version.questions.resize(n);
    QList<int> score(n);
    for (QByteArrayView chosen : runs) {
        int total = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const char c = chosen[i];
            score[i] = key[i] != '0' && c == key[i];
            total += score[i];
            ++version.questions[i].choices[c - '1'];
        }
        for (qsizetype i = 0; i < n; ++i) {
            const qint64 y = total - score[i];
            Sums &s = sums[i];
            s.x += score[i];
            s.y += y;
            s.xy += score[i] * y;
            s.yy += y * y;
        }
    }

    const qint64 r = runs.size();
    for (qsizetype i = 0; i < n; ++i) {
        ItemAnalysis::Question &q = version.questions[i];
        const Sums &s = sums[i];
        q.number = int(i + 1);
        q.runs = int(r);
        q.right = int(s.x);
        q.key = key[i] - '0';
        const qint64 varX = r * s.x - s.x * s.x;
        const qint64 varY = r * s.yy - s.y * s.y;
        if (varX > 0 && varY > 0)
            q.discrimination =
                double(r * s.xy - s.x * s.y) / std::sqrt(double(varX) * double(varY));
        if (q.key) {
            const int keyCount = q.choices[q.key - 1];
            for (int c = 1; c <= ItemAnalysis::Choices; ++c) {
                if (c != q.key && q.choices[c - 1] > keyCount)
                    q.flags |= ItemAnalysis::KeyOutdrawn;
            }
        }
        if (q.discrimination && *q.discrimination < ItemAnalysis::NegativeBelow)
            q.flags |= ItemAnalysis::NegativeDiscrimination;
        if (q.runs >= ItemAnalysis::FewestRunsForEase) {
            // Compared exactly: 19 of 20 is 95 per cent.
            if (qint64(q.right) * 100 >= qint64(ItemAnalysis::EasyFrom) * q.runs)
                q.flags |= ItemAnalysis::TooEasy;
            if (qint64(q.right) * 100 <= qint64(ItemAnalysis::HardUpTo) * q.runs)
                q.flags |= ItemAnalysis::TooHard;
        }
    }
    return version;
}

// The group's key: the test in the high half, the version's 32 bits below.
quint64 groupKey(int test, QByteArrayView version)
{
    quint64 v = 0;
    for (char c : version)
        v = v * 16 + quint64(c <= '9' ? c - '0' : c - 'a' + 10);
    return quint64(test) << 32 | v;
}

} // namespace

QString ItemAnalysis::flagText(Flag flag)
{
    switch (flag) {
    case KeyOutdrawn:
        return QStringLiteral("ключ выбирают реже, чем неверный ответ");
    case NegativeDiscrimination:
        return QStringLiteral("отрицательная различающая способность");
    case TooEasy:
        return QStringLiteral("слишком лёгкий");
    case TooHard:
        return QStringLiteral("слишком трудный");
    }
    return QString();
}

QStringList ItemAnalysis::flagTexts(int flags)
{
    QStringList texts;
    for (Flag flag : {KeyOutdrawn, NegativeDiscrimination, TooEasy, TooHard}) {
        if (flags & flag)
            texts.append(flagText(flag));
    }
    return texts;
}

ItemAnalysis ItemAnalysis::parse(const QByteArray &bytes, Attempts attempts,
                                 const QList<GradeChange> &changes, const QuestionCounts &counts)
{
    ItemAnalysis items;
    QList<Group> groups;
    QHash<quint64, qsizetype> groupOf;
    QHash<quint64, QByteArray> mendedKeys; // the last key a regrade gave each version
    for (const GradeChange &c : changes) {
        if (c.kind == GradeChange::Kind::Key)
            mendedKeys.insert(groupKey(c.test, c.version), c.key);
    }
    AnswerRecord::Fields record;
    items.lines = TextLines::forEach(bytes, [&](QByteArrayView line, qsizetype number) {
        const AnswerRecord::Fault fault = AnswerRecord::split(line, record);
        if (fault != AnswerRecord::Fault::None) {
            items.bad.append({number, faultOf(fault), TextLines::kept(line)});
            return;
        }
        const int count = counts[record.test - 1];
        if (record.chosen.size() > (count > 0 ? qMin(count, MaxQuestions) : MaxQuestions)) {
            items.bad.append({number, Fault::TooManyAnswers, TextLines::kept(line)});
            return;
        }
        const quint64 key = groupKey(record.test, record.version);
        auto found = groupOf.constFind(key);
        if (found == groupOf.constEnd()) {
            found = groupOf.insert(key, groups.size());
            groups.append({record.test, record.version.toByteArray(), {}, mendedKeys.value(key)});
        }
        groups[*found].runs.append(
            {number, line, record.chosen, record.right, CodePage::fold(record.user.toByteArray())});
    });

    for (const Group &group : groups) {
        Version version = analyse(group, attempts, items.bad);
        items.records += version.runs;
        if (version.runs > 0)
            items.versions.append(version);
    }
    std::stable_sort(items.versions.begin(), items.versions.end(),
                     [](const Version &a, const Version &b) {
                         return a.test != b.test ? a.test < b.test : a.firstLine < b.firstLine;
                     });
    std::stable_sort(items.bad.begin(), items.bad.end(),
                     [](const BadRecord &a, const BadRecord &b) { return a.line < b.line; });
    return items;
}

void ItemAnalysis::nameQuestions(int test, const QByteArray &currentVersion,
                                 const StoredTest &current)
{
    for (Version &version : versions) {
        if (version.test != test)
            continue;
        if (version.version == currentVersion) {
            version.current = true;
        } else {
            // A version a regrade mended is the current questions only while
            // the test still has the key it was given.
            bool same = version.mended;
            for (const Question &q : version.questions)
                same = same && q.key + '0' == AnswerRecord::rightDigit(current.rightAnswer(q.number));
            version.mended = same && !version.questions.isEmpty();
            if (!version.mended)
                continue;
        }
        for (Question &q : version.questions)
            q.text = current.question(q.number);
    }
}

ItemAnalysis ItemAnalysis::read(const ClassStore &store, Attempts attempts)
{
    // Without a log there is no answer record; the log's reader says why.
    const ClassStore::Lines lines = store.answerLines();
    ItemAnalysis items;
    items.path = lines.shown;
    if (lines.shown.isEmpty() || lines.missing)
        return items;
    QuestionCounts counts{};
    for (int k = 1; k <= int(counts.size()); ++k) {
        try {
            counts[k - 1] = store.test(ClassStore::testName(k))->count();
        } catch (const RuntimeError &) {
            // A test that cannot be read bounds its records by MaxQuestions.
        }
    }
    if (lines.failure.isEmpty())
        items = parse(lines.text, attempts, GradeChange::parseAll(store.changeLines().text).changes,
                      counts);
    items.failure = lines.failure;
    items.path = lines.shown;

    QList<int> tests;
    for (const Version &version : items.versions) {
        if (!tests.contains(version.test))
            tests.append(version.test);
    }
    for (int test : tests) {
        QByteArray version;
        const std::shared_ptr<const StoredTest> current =
            store.testAsItStands("test" + QByteArray::number(test), &version);
        if (current)
            items.nameQuestions(test, version, *current);
    }
    return items;
}
