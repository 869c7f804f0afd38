// SPDX-License-Identifier: GPL-3.0-or-later
// Times the profile operations on a user store of the size a large course
// reaches: one read, a registration (thirteen writes, batched and one by one)
// and the load of a test converter writing a big source in one batch.
#include "IniProfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Users = 10000;
constexpr int Runs = 7;

QByteArray userName(int n)
{
    // "Студент" in Windows-1251, so the names need the Cyrillic folding.
    return QByteArray("\xD1\xF2\xF3\xE4\xE5\xED\xF2 ") + QByteArray::number(n);
}

QByteArray shortValue(int n)
{
    QByteArray v(1 + n % 2, char('A' + n % 26));
    return '"' + v + '"';
}

QByteArray usersIni()
{
    QByteArray out;
    out.reserve(Users * 200);
    for (int u = 0; u < Users; ++u) {
        out += '[' + userName(u) + "]\r\n";
        out += "password=" + shortValue(u) + "\r\n";
        for (int k = 1; k <= 12; ++k)
            out += "test" + QByteArray::number(k) + '=' + shortValue(u + k) + "\r\n";
    }
    return out;
}

QList<IniProfile::Entry> registration(const QByteArray &name)
{
    QList<IniProfile::Entry> entries{{name, "password", "\"pw\""}};
    for (int k = 1; k <= 12; ++k)
        entries.append({name, "test" + QByteArray::number(k), k == 1 ? "\"1\"" : "\"0\""});
    return entries;
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
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("users.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(usersIni()) < 0)
            return 1;
    }
    std::printf("users.ini: %d users, %lld bytes\n", Users, QFile(path).size());

    std::vector<double> reads;
    for (int r = 0; r < Runs; ++r) {
        QElapsedTimer t;
        t.start();
        const QByteArray v = IniProfile::read(path, userName(Users - 1), "TEST12", "!!!!!!");
        reads.push_back(ms(t));
        if (v == "!!!!!!")
            return 1;
    }
    std::printf("read (last user, test12):          %8.2f ms (median of %d)\n", median(reads),
                Runs);

    std::vector<double> missing;
    for (int r = 0; r < Runs; ++r) {
        QElapsedTimer t;
        t.start();
        IniProfile::read(path, "nobody", "password", "!!!!!!");
        missing.push_back(ms(t));
    }
    std::printf("read (missing user):               %8.2f ms (median of %d)\n", median(missing),
                Runs);

    std::vector<double> batched;
    for (int r = 0; r < Runs; ++r) {
        const QList<IniProfile::Entry> entries = registration("batch " + QByteArray::number(r));
        QElapsedTimer t;
        t.start();
        IniProfile::writeMany(path, entries);
        batched.push_back(ms(t));
    }
    std::printf("registration, one writeMany of 13: %8.2f ms (median of %d)\n", median(batched),
                Runs);

    std::vector<double> single;
    for (int r = 0; r < Runs; ++r) {
        const QList<IniProfile::Entry> entries = registration("single " + QByteArray::number(r));
        QElapsedTimer t;
        t.start();
        for (const IniProfile::Entry &e : entries)
            IniProfile::write(path, e.section, e.key, e.value);
        single.push_back(ms(t));
    }
    std::printf("registration, 13 separate writes:  %8.2f ms (median of %d)\n", median(single),
                Runs);

    std::vector<double> scores;
    for (int r = 0; r < Runs; ++r) {
        QList<IniProfile::Entry> entries;
        for (int k = 1; k <= 12; ++k)
            entries.append({userName(Users / 2), "test" + QByteArray::number(k),
                            '"' + QByteArray::number((k + r) % 6) + '"'});
        QElapsedTimer t;
        t.start();
        IniProfile::writeMany(path, entries);
        scores.push_back(ms(t));
    }
    std::printf("score write-back, writeMany of 12: %8.2f ms (median of %d)\n", median(scores),
                Runs);

    const QString converted = dir.filePath(QStringLiteral("test1.ini"));
    QList<IniProfile::Entry> load;
    load.reserve(Users * 7);
    for (int s = 1; s <= Users; ++s) {
        const QByteArray section = QByteArray::number(s);
        for (int k = 0; k < 7; ++k)
            load.append({section, "v" + QByteArray::number(k), shortValue(s + k)});
    }
    QElapsedTimer t;
    t.start();
    IniProfile::writeMany(converted, load);
    std::printf("conversion, writeMany of %lld:    %8.2f ms (%lld bytes)\n", load.size(), ms(t),
                QFile(converted).size());
    return 0;
}
