// SPDX-License-Identifier: GPL-3.0-or-later
// A class of 30 at once on the results server and, in the same run, on a
// class folder on the local disk and on a classroom share: 30 client
// processes register, log in, take a 10-question test and finish at one
// instant, 5 rounds. Prints each call's median and maximum, how long after
// the common instant the last end was stored, and checks every stored grade
// against the test run's rule.
//   bench_server
// The server is the test suite's private cluster (tests/server/server-fixture)
// and the share the suite's Samba server mounted through GVFS
// (tests/reliability/share/share-fixture), both started for the run and
// stopped afterwards; without the share the folder is timed on the disk only.
#include "Accounts.h"
#include "CodePage.h"
#include "Grading.h"
#include "ServerAddress.h"
#include "ServerClient.h"
#include "TestLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

constexpr int ClassSize = 30;
constexpr int Rounds = 5;
constexpr int Questions = 10;
const QList<int> Keys{2, 4, 1, 3, 5, 2, 4, 1, 3, 5};

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

QString stateValue(const QString &state, const QByteArray &key)
{
    QFile file(state);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    return QString();
}

// Client i answers the first i % 11 questions right.
int chosen(int client, int q)
{
    return q < client % (Questions + 1) ? Keys.at(q) : Keys.at(q) % 5 + 1;
}

void waitUntil(qint64 instant)
{
    const qint64 left = instant - QDateTime::currentMSecsSinceEpoch();
    if (left > 0)
        QThread::msleep(ulong(left));
}

// One student on the server; prints "call ms" lines, then "grade N" and
// "stored MS" (the end's time since the epoch).
int serverClient(const QString &uri, int client, const QString &name, qint64 instant)
{
    QString why;
    ServerClient server(ServerAddress::parse(uri, &why));
    QElapsedTimer t;
    t.start();
    server.registerUser(name, QStringLiteral("pw"));
    std::printf("register %.3f\n", ms(t));
    t.start();
    const QString token = server.login(name, QStringLiteral("pw")).token;
    std::printf("login %.3f\n", ms(t));
    t.start();
    const ServerClient::Run run = server.startRun(token, 1);
    std::printf("start %.3f\n", ms(t));
    for (int q = 0; q < Questions; ++q) {
        t.start();
        server.answer(token, run.id, q + 1, chosen(client, q));
        std::printf("answer %.3f\n", ms(t));
    }
    waitUntil(instant);
    t.start();
    const ServerClient::Result result = server.finishRun(token, run.id);
    std::printf("finish %.3f\ngrade %d\nstored %lld\n", ms(t), result.grade,
                QDateTime::currentMSecsSinceEpoch());
    return 0;
}

// The same student on the class folder: the answers stay in the program
// until the end, which appends the log line and writes the grades back.
int folderClient(const QString &folder, int client, const QString &name, qint64 instant)
{
    QDir::setCurrent(folder);
    const QByteArray user = CodePage::fromUnicode(name);
    QElapsedTimer t;
    t.start();
    Accounts::registerUser(user, "pw", "admin");
    std::printf("register %.3f\n", ms(t));
    t.start();
    Accounts::Scores scores{};
    if (Accounts::passwordMatches(user, "pw"))
        for (int k = 1; k <= 10; ++k)
            scores[k - 1] = Accounts::readGrade(user, k);
    std::printf("login %.3f\n", ms(t));
    int right = 0;
    for (int q = 0; q < Questions; ++q)
        right += chosen(client, q) == Keys.at(q);
    waitUntil(instant);
    t.start();
    const int grade = Grading::grade(right, Questions);
    scores[0] = quint8(grade);
    TestLog::append("testlog.txt",
                    TestLog::line(user, QDateTime::currentDateTime(), "test1", grade));
    Accounts::writeScores(user, scores);
    std::printf("finish %.3f\ngrade %d\nstored %lld\n", ms(t), int(Accounts::readGrade(user, 1)),
                QDateTime::currentMSecsSinceEpoch());
    return 0;
}

struct Totals
{
    std::map<QByteArray, std::vector<double>> calls;
    std::vector<double> lastEnd; // per round: the last end after the instant
    int wrongGrades = 0;
    int failures = 0;
};

void round(const QString &mode, const QString &target, int r, Totals *totals)
{
    const qint64 instant = QDateTime::currentMSecsSinceEpoch() + 4000;
    std::vector<QProcess *> clients;
    for (int i = 0; i < ClassSize; ++i) {
        auto *p = new QProcess;
        p->start(QCoreApplication::applicationFilePath(),
                 {mode, target, QString::number(i), QStringLiteral("Ученик %1-%2").arg(r).arg(i),
                  QString::number(instant)});
        clients.push_back(p);
    }
    qint64 last = 0;
    for (int i = 0; i < ClassSize; ++i) {
        QProcess *p = clients[size_t(i)];
        if (!p->waitForFinished(120000) || p->exitCode() != 0) {
            ++totals->failures;
            std::fprintf(stderr, "%s\n", p->readAllStandardError().constData());
        }
        for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() != 2)
                continue;
            if (f[0] == "grade") {
                int right = 0;
                for (int q = 0; q < Questions; ++q)
                    right += chosen(i, q) == Keys.at(q);
                totals->wrongGrades += f[1].toInt() != Grading::grade(right, Questions);
            } else if (f[0] == "stored") {
                last = std::max(last, f[1].toLongLong());
            } else {
                totals->calls[f[0]].push_back(f[1].toDouble());
            }
        }
        delete p;
    }
    totals->lastEnd.push_back(double(last - instant));
}

void print(const char *where, Totals &totals)
{
    std::printf("%s: %d failed clients, %d wrong grades\n", where, totals.failures,
                totals.wrongGrades);
    for (auto &[call, v] : totals.calls) {
        std::sort(v.begin(), v.end());
        std::printf("  %-8s median %8.2f ms  p99 %8.2f ms  max %8.2f ms  (%zu calls)\n",
                    call.constData(), v[v.size() / 2],
                    v[std::min(v.size() - 1, v.size() * 99 / 100)], v.back(), v.size());
    }
    std::sort(totals.lastEnd.begin(), totals.lastEnd.end());
    std::printf("  last end stored after the instant: median %.0f ms, max %.0f ms\n",
                totals.lastEnd[totals.lastEnd.size() / 2], totals.lastEnd.back());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == QLatin1String("--server"))
        return serverClient(args[2], args[3].toInt(), args[4], args[5].toLongLong());
    if (args.size() == 6 && args[1] == QLatin1String("--folder"))
        return folderClient(args[2], args[3].toInt(), args[4], args[5].toLongLong());

    QTemporaryDir dir;
    const QString shareState = dir.filePath(QStringLiteral("share-state"));
    QProcess::execute(QStringLiteral(SHARE_FIXTURE), {QStringLiteral("start"), shareState});
    const QString gvfs = stateValue(shareState, "gvfs");
    if (gvfs.isEmpty())
        std::fprintf(stderr, "no share through GVFS: %s %s\n",
                     qPrintable(stateValue(shareState, "skip")),
                     qPrintable(stateValue(shareState, "gvfs-skip")));
    const QString state = dir.filePath(QStringLiteral("state"));
    const QString fixture = QStringLiteral(SERVER_FIXTURE);
    if (QProcess::execute(fixture, {QStringLiteral("start"), state}) != 0 ||
        !stateValue(state, "skip").isEmpty()) {
        std::fprintf(stderr, "no server: %s\n", qPrintable(stateValue(state, "skip")));
        QProcess::execute(QStringLiteral(SHARE_FIXTURE), {QStringLiteral("stop"), shareState});
        return 1;
    }
    QProcess::execute(fixture, {QStringLiteral("newdb"), state, QStringLiteral("bench")});
    QProcess psql;
    psql.start(stateValue(state, "bin") + QStringLiteral("/psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                stateValue(state, "socket"), QStringLiteral("-p"), stateValue(state, "port"),
                QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("bench"),
                QStringLiteral("-c"),
                QStringLiteral("SELECT cb_private.init_settings('admin', 'a', 'log.txt')")});
    psql.waitForFinished();
    const QString uri =
        QStringLiteral("postgresql://coursebook_lab:%1@127.0.0.1:%2/bench?sslmode=verify-full&"
                       "sslrootcert=%3")
            .arg(stateValue(state, "lab_password"), stateValue(state, "port"),
                 QString::fromUtf8(QUrl::toPercentEncoding(stateValue(state, "ca"))));
    int status = 0;
    try {
        QString why;
        ServerClient admin(ServerAddress::parse(uri, &why));
        const QString token = admin.login(QStringLiteral("admin"), QStringLiteral("a")).token;
        QStringList questions;
        for (int q = 0; q < Questions; ++q)
            questions << QStringLiteral("{\"question\":\"%1\",\"answers\":[\"a\",\"b\",\"c\","
                                        "\"d\",\"e\"],\"key\":%2}")
                             .arg(q + 1)
                             .arg(Keys.at(q));
        admin.rows(QStringLiteral("SELECT cb.admin_publish(?, 1::smallint, ?, '00000000', "
                                  "?::jsonb)"),
                   {token, QByteArray("bench"), u'[' + questions.join(u',') + u']'});

        Totals server, folder, share;
        const QString classFolder = dir.filePath(QStringLiteral("class"));
        QDir().mkpath(classFolder);
        const QString shareFolder =
            gvfs.isEmpty() ? QString() : gvfs + QStringLiteral("/bench-server");
        if (!shareFolder.isEmpty())
            QDir().mkpath(shareFolder);
        for (int r = 1; r <= Rounds; ++r) {
            round(QStringLiteral("--server"), uri, r, &server);
            round(QStringLiteral("--folder"), classFolder, r, &folder);
            if (!shareFolder.isEmpty())
                round(QStringLiteral("--folder"), shareFolder, r, &share);
        }
        print("server", server);
        print("folder on the local disk", folder);
        if (!shareFolder.isEmpty())
            print("folder on the share through GVFS", share);
        status = server.failures + server.wrongGrades + folder.failures + folder.wrongGrades +
                 share.failures + share.wrongGrades;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    QProcess::execute(fixture, {QStringLiteral("stop"), state});
    QProcess::execute(QStringLiteral(SHARE_FIXTURE), {QStringLiteral("stop"), shareState});
    return status == 0 ? 0 : 1;
}
