// Times a registration and a test's score write-back in a class folder on the
// local disk and on a classroom share, in one run.
//   bench_share [FOLDER]
// FOLDER is a folder on a mounted share; without it the benchmark starts the
// test suite's share fixture (a Samba server on the loopback address mounted
// through FUSE) for the run and stops it afterwards.
#include "Accounts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int ClassSize = 30;
constexpr int Runs = 40;

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

// A class already registered, then Runs registrations and Runs write-backs
// of one student's twelve grades, each timed.
bool measure(const QString &folder, Figures *figures)
{
    const QString home = QDir::currentPath();
    if (!QDir::setCurrent(folder))
        return false;
    for (int i = 0; i < ClassSize; ++i)
        Accounts::registerUser(name("", i), "pw", "admin");
    std::vector<double> registrations;
    std::vector<double> writeBacks;
    Accounts::Scores scores{};
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer t;
        t.start();
        Accounts::registerUser(name("new ", i), "pw", "admin");
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir stateDir;
    QString shareRoot;
    bool started = false;
    if (argc > 1) {
        shareRoot = QString::fromLocal8Bit(argv[1]);
    } else {
        const QString state = stateDir.filePath(QStringLiteral("state"));
        fixture(QStringLiteral("start"), state);
        shareRoot = QString::fromUtf8(stateValue(state, "share"));
        if (shareRoot.isEmpty()) {
            std::fprintf(stderr, "bench_share: no share: %s\n",
                         stateValue(state, "skip").constData());
            return 1;
        }
        started = true;
    }

    QTemporaryDir local;
    QTemporaryDir share(shareRoot + QStringLiteral("/bench-XXXXXX"));
    Figures onDisk;
    Figures onShare;
    const bool ok = local.isValid() && share.isValid() && measure(local.path(), &onDisk) &&
                    measure(share.path(), &onShare);
    share.remove();
    if (started)
        fixture(QStringLiteral("stop"), stateDir.filePath(QStringLiteral("state")));
    if (!ok) {
        std::fprintf(stderr, "bench_share: a folder could not be made or entered\n");
        return 1;
    }
    std::printf("class of %d, median of %d runs       local disk      share   share/local\n",
                ClassSize, Runs);
    std::printf("registration (13 values, list)   %9.2f ms %9.2f ms %8.1fx\n", onDisk.registration,
                onShare.registration, onShare.registration / onDisk.registration);
    std::printf("score write-back (12 values)     %9.2f ms %9.2f ms %8.1fx\n", onDisk.writeBack,
                onShare.writeBack, onShare.writeBack / onDisk.writeBack);
    return 0;
}
