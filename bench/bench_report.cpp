// Times the class report on a class of 500 users and test logs of 25,000 to
// 200,000 lines: reading the records and the log, and writing the CSV and
// the HTML page. The time should grow with the log in a straight line.
#include "Accounts.h"
#include "AdminSettings.h"
#include "ClassReport.h"
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

// One line in two hundred is broken, as a log edited by hand may be.
void writeLog(int lines)
{
    QRandomGenerator random(34);
    const QDateTime start(QDate(2026, 9, 1), QTime(8, 0));
    QByteArray log;
    log.reserve(qsizetype(lines) * 48);
    for (int i = 0; i < lines; ++i) {
        if (random.bounded(200) == 0) {
            log += "broken line " + QByteArray::number(i) + "\r\n";
            continue;
        }
        const QDateTime when = start.addSecs(qint64(i) * 90 * 24 * 3600 / lines);
        log += TestLog::line(userName(int(random.bounded(Users))), when,
                             Accounts::testKey(1 + int(random.bounded(10))),
                             1 + int(random.bounded(5)));
    }
    QFile file(QStringLiteral("journal.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(log) != log.size())
        std::fprintf(stderr, "cannot write the log\n");
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
    std::printf("class of %d users; median of %d runs\n", Users, Runs);
    std::printf("%10s %10s %10s %10s %10s %10s %12s %10s\n", "log lines", "runs", "read ms",
                "csv ms", "html ms", "total ms", "ms/1000 ln", "html KB");
    for (int lines : LogSizes) {
        writeLog(lines);
        std::vector<double> read, csv, html, total;
        qsizetype pageSize = 0;
        int counted = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer all;
            all.start();
            QElapsedTimer t;
            t.start();
            const ClassReport report = ClassReport::read();
            read.push_back(ms(t));
            t.restart();
            const QByteArray table = ReportCsv::write(report);
            csv.push_back(ms(t));
            t.restart();
            const QByteArray page = ReportHtml::write(report, QDateTime::currentDateTime());
            html.push_back(ms(t));
            total.push_back(ms(all));
            pageSize = page.size();
            counted = report.logRuns;
            Q_UNUSED(table);
        }
        std::printf("%10d %10d %10.1f %10.1f %10.1f %10.1f %12.2f %10lld\n", lines, counted,
                    median(read), median(csv), median(html), median(total),
                    median(total) * 1000 / lines, static_cast<long long>(pageSize / 1024));
    }
    return 0;
}
