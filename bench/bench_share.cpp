// SPDX-License-Identifier: GPL-3.0-or-later
// Times a registration and a test's score write-back in a class folder on the
// local disk and on a classroom share through each of the two clients a lab
// mounts it with (smbnetfs, GVFS), alone and while a second machine, on the
// other client under a host name of its own, logs in again and again; in one
// run, as ratios to the local disk.
//   bench_share [SMBNETFS-FOLDER [GVFS-FOLDER]]
// The folders are the same folder of a mounted share through each client;
// without them the benchmark starts the test suite's share fixture (a Samba
// server on the loopback address, mounted through both clients) for the run
// and stops it afterwards.
#include "Accounts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <vector>

namespace {

constexpr int ClassSize = 30;
constexpr int Runs = 20;

struct Figures
{
    double registration = 0;
    double writeBack = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

QByteArray name(const char *prefix, int n)
{
    // "Студент" in Windows-1251.
    return QByteArray("\xD1\xF2\xF3\xE4\xE5\xED\xF2 ") + prefix + QByteArray::number(n);
}

// A class already registered (once per folder), then Runs registrations and
// Runs write-backs of one student's twelve grades, each timed; prefix keeps
// the names of two measurements in one folder apart.
bool measure(const QString &folder, const char *prefix, Figures *figures)
{
    const QString home = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return false;
    if (!QFile::exists(QStringLiteral("users")))
        for (int i = 0; i < ClassSize; ++i)
            Accounts::registerUser(name("", i), "pw", "admin");
    std::vector<double> registrations;
    std::vector<double> writeBacks;
    Accounts::Scores scores{};
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        Accounts::registerUser(name(prefix, i), "pw", "admin");
        registrations.push_back(ms(t));
        scores[i % Accounts::TestCount] = quint8(1 + i % 5);
        t.start();
        Accounts::writeScores(name("", i % ClassSize), scores);
        writeBacks.push_back(ms(t));
    }
    QDir::setCurrent(home);
    figures->registration = median(registrations);
    figures->writeBack = median(writeBacks);
    return true;
}

QByteArray stateValue(const QString &state, const QByteArray &key)
{
    QFile file(state);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    return QByteArray();
}

int fixture(const QString &command, const QString &state)
{
    return QProcess::execute(QStringLiteral(SHARE_FIXTURE), {command, state});
}

// The second machine: logs the class's first student in until a line comes
// on standard input.
int reader(const QString &folder)
{
    if (!QDir::setCurrent(folder))
        return 1;
    struct pollfd input = {0, POLLIN, 0};
    long reads = 0;
    while (::poll(&input, 1, 0) == 0) {
        Accounts::passwordMatches(name("", 0), "pw");
        ++reads;
    }
    std::printf("%ld\n", reads);
    return 0;
}

// Measures in the folder while a reader runs on the other client's view of
// it, under another host name where unshare can give one.
bool measureRead(const QString &folder, const QString &readerFolder, const char *prefix,
                 Figures *figures, long *reads)
{
    QProcess second;
    const QString self = QCoreApplication::applicationFilePath();
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        second.start(self, {QStringLiteral("--reader"), readerFolder});
    else
        second.start(unshare, {QStringLiteral("--uts"), QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("hostname classroom-pc-2 && exec \"$0\" --reader \"$1\""),
                               self, readerFolder});
    const bool ok = second.waitForStarted() && measure(folder, prefix, figures);
    second.write("stop\n");
    second.waitForFinished(60000);
    *reads = second.readAllStandardOutput().trimmed().toLong();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--reader") == 0)
        return reader(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir stateDir;
    QString roots[2];
    bool started = false;
    if (argc > 1) {
        roots[0] = QString::fromLocal8Bit(argv[1]);
        if (argc > 2)
            roots[1] = QString::fromLocal8Bit(argv[2]);
    } else {
        const QString state = stateDir.filePath(QStringLiteral("state"));
        fixture(QStringLiteral("start"), state);
        started = true;
        roots[0] = QString::fromUtf8(stateValue(state, "share"));
        roots[1] = QString::fromUtf8(stateValue(state, "gvfs"));
        if (roots[0].isEmpty()) {
            fixture(QStringLiteral("stop"), state);
            std::fprintf(stderr, "bench_share: no share: %s\n",
                         stateValue(state, "skip").constData());
            return 1;
        }
        if (roots[1].isEmpty())
            std::fprintf(stderr, "bench_share: no GVFS mount: %s\n",
                         stateValue(state, "gvfs-skip").constData());
    }

    QTemporaryDir local;
    QTemporaryDir share(roots[0] + QStringLiteral("/bench-XXXXXX"));
    const QString folderName = QFileInfo(share.path()).fileName();
    const QString folders[2] = {share.path(), roots[1].isEmpty() ? QString() : roots[1] + u'/' + folderName};
    const char *const clients[2] = {"smbnetfs", "GVFS"};
    Figures onDisk;
    Figures alone[2];
    Figures read[2];
    long reads[2] = {0, 0};
    bool ok = local.isValid() && share.isValid() && measure(local.path(), "new ", &onDisk);
    for (int c = 0; ok && c < 2; ++c) {
        if (folders[c].isEmpty() || folders[1].isEmpty())
            continue;
        QDir(folders[0]).mkdir(QString::fromLatin1(clients[c]));
        const QString here = folders[c] + u'/' + QString::fromLatin1(clients[c]);
        const QString there = folders[1 - c] + u'/' + QString::fromLatin1(clients[c]);
        ok = measure(here, "alone ", &alone[c]) &&
             measureRead(here, there, "read ", &read[c], &reads[c]);
    }
    share.remove();
    if (started)
        fixture(QStringLiteral("stop"), stateDir.filePath(QStringLiteral("state")));
    if (!ok) {
        std::fprintf(stderr, "bench_share: a folder could not be made or entered\n");
        return 1;
    }
    std::printf("class of %d, median of %d runs; local disk in ms, the share as a multiple of it\n",
                ClassSize, Runs);
    std::printf("%-30s %10s", "", "local");
    for (const char *client : clients)
        std::printf(" %10s %14s", client, "+ other reads");
    std::printf("\n");
    const auto row = [&](const char *what, double Figures::*figure) {
        std::printf("%-30s %7.2f ms", what, onDisk.*figure);
        for (int c = 0; c < 2; ++c)
            std::printf(" %9.1fx %13.1fx", alone[c].*figure / onDisk.*figure,
                        read[c].*figure / onDisk.*figure);
        std::printf("\n");
    };
    row("registration (13 values, list)", &Figures::registration);
    row("score write-back (12 values)", &Figures::writeBack);
    std::printf("%-30s %10s", "absolute, ms", "");
    for (int c = 0; c < 2; ++c)
        std::printf(" %7.1f/%-5.1f %8.1f/%-5.1f", alone[c].registration, alone[c].writeBack,
                    read[c].registration, read[c].writeBack);
    std::printf("\nlog-ins of the second machine meanwhile: %ld on GVFS, %ld on smbnetfs\n",
                reads[0], reads[1]);
    return 0;
}
