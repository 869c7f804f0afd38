// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerRecord.h"
#include "ClassFolder.h"
#include "ClassReport.h"
#include "FolderStore.h"
#include "ItemAnalysis.h"
#include "ItemCsv.h"
#include "TempWorkDir.h"

#include "TextLines.h"

#include <QDir>
#include <QRandomGenerator>

#include <QTest>
#include <cmath>
#include <memory>
#include <optional>

using Fault = ItemAnalysis::Fault;
Q_DECLARE_METATYPE(Fault)

namespace {

// What a class of runs should give for one question, worked out the plain
// way: from the score vectors, their means and deviations.
struct Expected
{
    int right = 0;
    std::array<int, 5> choices{};
    std::optional<double> r;
    QStringList flags;
};

Expected expect(const QList<QByteArray> &chosen, const QByteArray &key, int question)
{
    Expected e;
    const qsizetype n = chosen.size();
    QList<double> x, y;
    for (const QByteArray &run : chosen) {
        int rest = 0;
        for (qsizetype i = 0; i < run.size(); ++i) {
            if (i != question && key[i] != '0' && run[i] == key[i])
                ++rest;
        }
        const bool right = key[question] != '0' && run[question] == key[question];
        x.append(right);
        y.append(rest);
        e.right += right;
        ++e.choices[run[question] - '1'];
    }
    double mx = 0, my = 0;
    for (qsizetype i = 0; i < n; ++i) {
        mx += x[i] / n;
        my += y[i] / n;
    }
    double sxy = 0, sxx = 0, syy = 0;
    for (qsizetype i = 0; i < n; ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    if (sxx > 1e-12 && syy > 1e-12)
        e.r = sxy / std::sqrt(sxx * syy);
    const int k = key[question] - '0';
    bool outdrawn = false;
    for (int c = 1; c <= 5; ++c)
        outdrawn = outdrawn || (k && c != k && e.choices[c - 1] > e.choices[k - 1]);
    if (outdrawn)
        e.flags.append(QStringLiteral("ключ выбирают реже, чем неверный ответ"));
    if (e.r && *e.r < 0)
        e.flags.append(QStringLiteral("отрицательная различающая способность"));
    if (n >= 10 && e.right * 20 >= n * 19)
        e.flags.append(QStringLiteral("слишком лёгкий"));
    if (n >= 10 && e.right * 5 <= n)
        e.flags.append(QStringLiteral("слишком трудный"));
    return e;
}

QString decimalComma(double v, int decimals)
{
    return QString::number(v, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(','));
}

QByteArray recordLine(const QByteArray &user, int test, const QByteArray &version,
                      const QByteArray &chosen, const QByteArray &key)
{
    AnswerRecord record;
    record.user = user;
    record.date = QDate(2026, 12, 1);
    record.time = QTime(10, 0, 0);
    record.testName = "test" + QByteArray::number(test);
    record.grade = 3;
    record.version = version;
    record.chosen = chosen;
    record.right = key;
    return record.line();
}

} // namespace

class tst_ItemAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void figuresMatchTheClassQuestionByQuestion();
    void flags_data();
    void flags();
    void unreadableRecordsAreListedNoneFatal_data();
    void unreadableRecordsAreListedNoneFatal();
    void noRecordFileIsNoFault();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_ItemAnalysis::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_ItemAnalysis::cleanup()
{
    m_dir.reset();
}

void tst_ItemAnalysis::figuresMatchTheClassQuestionByQuestion()
{
    ClassFolder folder("Logs.txt");
    // Six questions: graded by difficulty, one keyed to an answer few take,
    // one everybody gets, one whose stored key no button gives.
    const QByteArray key = "134257";
    const QByteArray storedKey = "13425x";
    const QList<QByteArray> texts{
        "\xCF\xE5\xF0\xE2\xFB\xE9 %1 <b>", "Second", "Third", "Fourth", "Fifth", "Sixth"};
    const QByteArray version = ClassFolder::writeTest(3, texts, storedKey);
    const QByteArray recorded = "134250";

    QRandomGenerator random(7);
    QList<QByteArray> runs;
    for (int run = 0; run < 60; ++run) {
        const double ability = random.generateDouble();
        QByteArray chosen;
        for (int q = 0; q < 6; ++q) {
            const double difficulty = 0.15 * q;
            char c;
            if (q == 1)
                c = random.bounded(4) == 0 ? '3' : '2'; // the class takes B, the key is C
            else if (q == 2)
                c = '4';
            else if (random.generateDouble() < ability + 0.5 - difficulty)
                c = recorded[q] == '0' ? '1' : recorded[q];
            else
                c = char('1' + random.bounded(5));
            chosen += c;
        }
        runs.append(chosen);
        folder.recordAnswers("user" + QByteArray::number(run), 3, version, chosen, recorded);
    }
    // Runs of an older file of the test: counted apart, without texts.
    const QList<QByteArray> older{"1111", "2222", "1212"};
    for (const QByteArray &chosen : older)
        folder.recordAnswers("old" + chosen, 3, "00ff00ff", chosen, "1234");

    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    const ItemAnalysis &items = report.items;
    QVERIFY(items.bad.isEmpty());
    QCOMPARE(items.records, runs.size() + older.size());
    QCOMPARE(items.versions.size(), 2);
    const ItemAnalysis::Version &now = items.versions[0];
    QCOMPARE(now.test, 3);
    QCOMPARE(now.version, version);
    QVERIFY(now.current);
    QCOMPARE(now.runs, runs.size());
    QCOMPARE(now.questions.size(), 6);

    const QList<QByteArray> csv = ItemCsv::write(items).split('\n');
    QCOMPARE(csv.size(), 1 + 6 + 4 + 1);
    QCOMPARE(csv[0], QByteArray("\xEF\xBB\xBFtest;version;question;runs;facility;discrimination;"
                                "A;B;C;D;E;key;flags\r"));
    for (int q = 0; q < 6; ++q) {
        const ItemAnalysis::Question &got = now.questions[q];
        const Expected e = expect(runs, recorded, q);
        QCOMPARE(got.number, q + 1);
        QCOMPARE(got.text, texts[q]);
        QCOMPARE(got.runs, runs.size());
        QCOMPARE(got.right, e.right);
        QCOMPARE(got.choices, e.choices);
        QCOMPARE(got.key, recorded[q] - '0');
        QCOMPARE(got.discrimination.has_value(), e.r.has_value());
        if (e.r)
            QVERIFY2(std::abs(*got.discrimination - *e.r) < 1e-9,
                     qPrintable(QStringLiteral("question %1: %2 against %3")
                                    .arg(q + 1)
                                    .arg(*got.discrimination)
                                    .arg(*e.r)));
        QCOMPARE(ItemAnalysis::flagTexts(got.flags), e.flags);

        QStringList row{QStringLiteral("test3"),
                        QString::fromLatin1(version),
                        QString::number(q + 1),
                        QString::number(runs.size()),
                        decimalComma(100.0 * e.right / runs.size(), 1),
                        e.r ? decimalComma(*e.r, 2) : QString()};
        for (int c : e.choices)
            row.append(QString::number(c));
        row.append(recorded[q] == '0' ? QString() : QString(QChar(u'A' + recorded[q] - '1')));
        row.append(e.flags.join(QStringLiteral(", ")));
        QCOMPARE(QString::fromUtf8(csv[1 + q]), row.join(QLatin1Char(';')) + QLatin1Char('\r'));
    }
    // The planted cases came out as planted.
    QVERIFY(now.questions[1].flags & ItemAnalysis::KeyOutdrawn);
    QVERIFY(!now.questions[2].discrimination);
    QVERIFY(now.questions[2].flags & ItemAnalysis::TooEasy);
    QCOMPARE(now.questions[5].right, 0);

    const ItemAnalysis::Version &old = items.versions[1];
    QVERIFY(!old.current);
    QCOMPARE(old.runs, 3);
    QCOMPARE(old.questions.size(), 4);
    QVERIFY(old.questions[0].text.isEmpty());
    QCOMPARE(old.questions[0].choices, (std::array<int, 5>{2, 1, 0, 0, 0}));
}

void tst_ItemAnalysis::flags_data()
{
    QTest::addColumn<QList<QByteArray>>("chosen");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("discrimination");

    const auto repeat = [](const QList<QByteArray> &runs, int times) {
        QList<QByteArray> out;
        for (int i = 0; i < times; ++i)
            out += runs;
        return out;
    };
    // The first question's figures; the second only gives the rest score.
    QTest::newRow("all right in nine runs")
        << repeat({"11", "12"}, 4) + QList<QByteArray>{"11"} << QByteArray("11") << 0 << QString();
    QTest::newRow("all right in ten runs is too easy")
        << repeat({"11", "12"}, 5) << QByteArray("11") << int(ItemAnalysis::TooEasy) << QString();
    QTest::newRow("19 of 20 is too easy")
        << repeat({"11"}, 10) + repeat({"12"}, 9) + QList<QByteArray>{"22"} << QByteArray("11")
        << int(ItemAnalysis::TooEasy) << QStringLiteral("0.23");
    QTest::newRow("18 of 20 is not") << repeat({"11"}, 18) + repeat({"22"}, 2) << QByteArray("11")
                                     << 0 << QStringLiteral("1.00");
    QTest::newRow("2 of 10 is too hard")
        << repeat({"11"}, 2) + repeat({"22"}, 8) << QByteArray("11")
        << int(ItemAnalysis::TooHard | ItemAnalysis::KeyOutdrawn) << QStringLiteral("1.00");
    QTest::newRow("3 of 10 is not") << repeat({"11", "32"}, 3) + repeat({"42", "52"}, 2)
                                    << QByteArray("11") << 0 << QStringLiteral("1.00");
    // Right only when the rest was wrong.
    QTest::newRow("negative") << repeat({"12", "21"}, 2) << QByteArray("11")
                              << int(ItemAnalysis::NegativeDiscrimination)
                              << QStringLiteral("-1.00");
    // Near zero is no discrimination at all, not a negative one.
    QTest::newRow("slightly negative is none")
        << repeat({"11"}, 12) + repeat({"12", "21"}, 13) + repeat({"22"}, 12) << QByteArray("11")
        << 0 << QStringLiteral("-0.04");
    QTest::newRow("a wrong answer drawn more")
        << QList<QByteArray>{"11", "21", "22", "31"} << QByteArray("11")
        << int(ItemAnalysis::KeyOutdrawn) << QStringLiteral("0.33");
    // A tie with the key is not drawn more.
    QTest::newRow("tie") << QList<QByteArray>{"11", "22"} << QByteArray("11") << 0
                         << QStringLiteral("1.00");
    QTest::newRow("no answer is right") << repeat({"11", "21", "32"}, 4) << QByteArray("01")
                                        << int(ItemAnalysis::TooHard) << QString();
}

void tst_ItemAnalysis::flags()
{
    QFETCH(QList<QByteArray>, chosen);
    QFETCH(QByteArray, key);
    QFETCH(QString, discrimination);
    QByteArray bytes;
    for (qsizetype i = 0; i < chosen.size(); ++i)
        bytes += recordLine("student" + QByteArray::number(i), 1, "12345678", chosen[i], key);
    const ItemAnalysis items = ItemAnalysis::parse(bytes);
    QCOMPARE(items.versions.size(), 1);
    const ItemAnalysis::Question &q = items.versions[0].questions[0];
    QCOMPARE(q.runs, chosen.size());
    QTEST(q.flags, "flags");
    QCOMPARE(q.discrimination ? QString::number(*q.discrimination, 'f', 2) : QString(),
             discrimination);
    QCOMPARE(q.facility() >= 0, true);
}

void tst_ItemAnalysis::unreadableRecordsAreListedNoneFatal_data()
{
    QTest::addColumn<QByteArray>("broken");
    QTest::addColumn<Fault>("fault");
    QTest::newRow("field count") << QByteArray("anna | 2026-12-01 10:00:00 | test1 | 3 | 112")
                                 << Fault::FieldCount;
    QTest::newRow("time") << QByteArray(
                                 "anna | 01.12.2026 10:00:00 | test1 | 3 | 12345678 | 112 | 111")
                          << Fault::BadTime;
    QTest::newRow("test") << QByteArray(
                                 "anna | 2026-12-01 10:00:00 | test0 | 3 | 12345678 | 112 | 111")
                          << Fault::UnknownTest;
    QTest::newRow("grade") << QByteArray(
                                  "anna | 2026-12-01 10:00:00 | test1 | 6 | 12345678 | 112 | 111")
                           << Fault::BadGrade;
    QTest::newRow("version") << QByteArray(
                                    "anna | 2026-12-01 10:00:00 | test1 | 3 | 1234567x | 112 | 111")
                             << Fault::BadVersion;
    QTest::newRow("answers") << QByteArray(
                                    "anna | 2026-12-01 10:00:00 | test1 | 3 | 12345678 | 162 | 111")
                             << Fault::BadAnswers;
    QTest::newRow("longer")
        << QByteArray("anna | 2026-12-01 10:00:00 | test1 | 3 | 12345678 | 1121 | 1111")
        << Fault::OtherLength;
    QTest::newRow("shorter") << QByteArray(
                                    "anna | 2026-12-01 10:00:00 | test1 | 3 | 12345678 | 11 | 11")
                             << Fault::OtherLength;
    QTest::newRow("other key")
        << QByteArray("anna | 2026-12-01 10:00:00 | test1 | 3 | 12345678 | 112 | 112")
        << Fault::OtherKey;
    QTest::newRow("binary") << QByteArray("\x00\xff | |\x1a", 7) << Fault::FieldCount;
    const QByteArray megabyte(600000, '1');
    QTest::newRow("a megabyte of answers")
        << "anna | 2026-12-01 10:00:00 | test1 | 3 | 12345678 | " + megabyte + " | " + megabyte
        << Fault::TooManyAnswers;
}

void tst_ItemAnalysis::unreadableRecordsAreListedNoneFatal()
{
    QFETCH(QByteArray, broken);
    QFETCH(Fault, fault);
    const QByteArray good = recordLine("anna", 1, "12345678", "112", "111");
    // Broken in the middle of good ones, the line ends mixed as an edited
    // file may have them.
    const QByteArray bytes = good + good + broken + "\n" + good.chopped(2) + "\r" + good;
    const ItemAnalysis items = ItemAnalysis::parse(bytes, ItemAnalysis::Attempts::All);
    // By default a student's first attempt alone counts.
    QCOMPARE(ItemAnalysis::parse(bytes).versions.value(0).repeats, 3);
    QCOMPARE(items.lines, 5);
    QCOMPARE(items.bad.size(), 1);
    QCOMPARE(items.bad[0].line, 3);
    QCOMPARE(items.bad[0].fault, fault);
    QCOMPARE(items.bad[0].text, broken.left(TextLines::KeptBytes));
    QCOMPARE(items.records, 4);
    QCOMPARE(items.versions.size(), 1);
    QCOMPARE(items.versions[0].questions.size(), 3);
    QCOMPARE(items.versions[0].questions[2].choices, (std::array<int, 5>{0, 4, 0, 0, 0}));
}

void tst_ItemAnalysis::noRecordFileIsNoFault()
{
    ClassFolder folder("journal");
    folder.registerUser("anna");
    folder.finishRun("anna", 1, 4, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    QVERIFY(report.items.versions.isEmpty());
    QVERIFY(report.items.failure.isEmpty());
    QVERIFY(report.items.path.endsWith(QStringLiteral("journal-answers")));
    QCOMPARE(report.problemCount(), 0);
}

QTEST_GUILESS_MAIN(tst_ItemAnalysis)
#include "tst_itemanalysis.moc"
