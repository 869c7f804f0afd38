// SPDX-License-Identifier: GPL-3.0-or-later
// Times the class report on a class of 500 users, 10 tests of 30 questions
// and test logs of 25,000 to 200,000 lines with an answer record for every
// run: reading the records, the log and the answers, the analysis of every
// question, and writing the CSVs and the HTML page. The time should grow with
// the log in a straight line.
#include "Accounts.h"
#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "ClassReport.h"
#include "FolderStore.h"
#include "ItemCsv.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "Store.h"
#include "TestLog.h"
#include "UserList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Users = 500;
constexpr int Tests = 10;
constexpr int Questions = 30;
constexpr int Runs = 5;
const int LogSizes[] = {25000, 50000, 100000, 200000};

QByteArray userName(int n)
{
    // "Студент" in Windows-1251, so the names need the Cyrillic folding.
    return QByteArray("\xD1\xF2\xF3\xE4\xE5\xED\xF2 ") + QByteArray::number(n);
}

void writeClass()
{
    QList<QByteArray> names;
    QList<IniProfile::Entry> entries;
    QRandomGenerator random(12);
    for (int u = 0; u < Users; ++u) {
        const QByteArray name = userName(u);
        names.append(name);
        entries.append({name, "password", "pw"});
        for (int k = 1; k <= 12; ++k)
            entries.append({name, Accounts::testKey(k), QByteArray::number(random.bounded(6))});
    }
    Store::writeMany(entries, Accounts::UsersIni);
    UserList::save(names);
    AdminSettings settings;
    settings.login = "admin";
    settings.logName = "journal.txt";
    QDir().mkpath(QStringLiteral("data/info"));
    settings.write();
}

struct TestFiles
{
    QList<QByteArray> versions;
    QList<QByteArray> keys;
};

// Written whole, in the store's format, without the store's one write a
// value, so that making the class does not take longer than timing it.
TestFiles writeTests()
{
    TestFiles tests;
    QRandomGenerator random(56);
    QDir().mkpath(QStringLiteral("data/tests"));
    for (int k = 1; k <= Tests; ++k) {
        QByteArray ini;
        QByteArray key;
        for (int q = 1; q <= Questions + 1; ++q) {
            const char right = char('1' + random.bounded(5));
            ini += '[' + QByteArray::number(q) + "]\r\n";
            ini += "q=" +
                   Store::crypt("Question " + QByteArray::number(q) + " of test " +
                                QByteArray::number(k)) +
                   "\r\n";
            for (int a = 1; a <= 5; ++a)
                ini += 'a' + QByteArray::number(a) + '=' +
                       Store::crypt(QByteArray(1, char('A' + a - 1)) + ") answer") + "\r\n";
            ini += "ap=" + Store::crypt(QByteArray(1, right)) + "\r\n";
            if (q <= Questions)
                key += right;
        }
        ini += "[inf]\r\nvsego=" + Store::crypt(QByteArray::number(Questions)) + "\r\n";
        QFile file(QStringLiteral("data/tests/test%1.ini").arg(k));
        if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
            std::fprintf(stderr, "cannot write a test\n");
        tests.versions.append(AnswerRecord::versionOf(ini));
        tests.keys.append(key);
    }
    return tests;
}

// One line in two hundred is broken, as a log edited by hand may be; every
// run leaves its answers, a stronger user answering right more often, and a
// run in ten of a test before its last correction.
void writeLog(int lines, const TestFiles &tests)
{
    QRandomGenerator random(34);
    const QDateTime start(QDate(2026, 9, 1), QTime(8, 0));
    QByteArray log;
    QByteArray answers;
    log.reserve(qsizetype(lines) * 48);
    answers.reserve(qsizetype(lines) * 120);
    for (int i = 0; i < lines; ++i) {
        if (random.bounded(200) == 0) {
            log += "broken line " + QByteArray::number(i) + "\r\n";
            answers += "broken line " + QByteArray::number(i) + "\r\n";
            continue;
        }
        const QDateTime when = start.addSecs(qint64(i) * 90 * 24 * 3600 / lines);
        const int user = int(random.bounded(Users));
        const int test = 1 + int(random.bounded(Tests));
        AnswerRecord record;
        record.user = userName(user);
        record.date = when.date();
        record.time = when.time();
        record.testName = Accounts::testKey(test);
        const bool older = random.bounded(10) == 0;
        record.version = older ? QByteArray("0123abcd") : tests.versions[test - 1];
        record.right = tests.keys[test - 1];
        const double ability = 0.3 + 0.6 * user / Users;
        int right = 0;
        for (int q = 0; q < Questions; ++q) {
            const bool hit = random.generateDouble() < ability;
            record.chosen += hit ? record.right[q] : char('1' + random.bounded(5));
            right += record.chosen[q] == record.right[q];
        }
        record.grade = right * 5 >= Questions * 4   ? 5
                       : right * 5 >= Questions * 3 ? 4
                       : right * 5 >= Questions * 2 ? 3
                       : right * 5 >= Questions     ? 2
                                                    : 1;
        log += TestLog::line(record.user, when, record.testName, record.grade);
        answers += record.line();
    }
    QFile file(QStringLiteral("journal.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(log) != log.size())
        std::fprintf(stderr, "cannot write the log\n");
    QFile records(QString::fromLatin1(AnswerRecord::fileName("journal.txt")));
    if (!records.open(QIODevice::WriteOnly) || records.write(answers) != answers.size())
        std::fprintf(stderr, "cannot write the answers\n");
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    writeClass();
    const TestFiles tests = writeTests();
    const FolderStore store(dir.path());
    std::printf("class of %d users, %d tests of %d questions; median of %d runs\n", Users, Tests,
                Questions, Runs);
    std::printf("%10s %10s %10s %11s %10s %10s %10s %10s %12s %10s\n", "log lines", "records",
                "read ms", "answers ms", "csv ms", "items ms", "html ms", "total ms", "ms/1000 ln",
                "html KB");
    for (int lines : LogSizes) {
        writeLog(lines, tests);
        std::vector<double> read, answers, csv, itemCsv, html, total;
        qsizetype pageSize = 0;
        int counted = 0;
        for (int run = 0; run < Runs; ++run) {
            // The answers' share of the reading, on their own.
            QElapsedTimer t;
            t.start();
            const ItemAnalysis alone = ItemAnalysis::read(store);
            answers.push_back(ms(t));

            QElapsedTimer all;
            all.start();
            t.restart();
            const ClassReport report = ClassReport::read(store);
            read.push_back(ms(t));
            t.restart();
            const QByteArray table = ReportCsv::write(report);
            csv.push_back(ms(t));
            t.restart();
            const QByteArray items = ItemCsv::write(report.items);
            itemCsv.push_back(ms(t));
            t.restart();
            const QByteArray page = ReportHtml::write(report, QDateTime::currentDateTime());
            html.push_back(ms(t));
            total.push_back(ms(all));
            pageSize = page.size();
            counted = report.items.records;
            Q_UNUSED(table);
            Q_UNUSED(items);
        }
        std::printf("%10d %10d %10.1f %11.1f %10.1f %10.1f %10.1f %10.1f %12.2f %10lld\n", lines,
                    counted, median(read), median(answers), median(csv), median(itemCsv),
                    median(html), median(total), median(total) * 1000 / lines,
                    static_cast<long long>(pageSize / 1024));
    }
    return 0;
}
