// SPDX-License-Identifier: GPL-3.0-or-later
// The second running copy that the reliability tests need: writes through the
// store from a process of its own, which the tests kill, run four times at once,
// or run as an unprivileged user.
//   write-loop DIR FIRST        writes k<i> = v<i> from i = FIRST on, one line
//                               "i" on stdout after each write has returned
//   worker DIR ID WRITES        shared-section writes and registrations
//   write DIR WRITER NAME       one write by WRITER; prints "ok" or the error
//   hold DIR                    holds the lock of users.ini, prints "held",
//                               and releases it when a line comes on stdin
//   register DIR NAME PASSWORD  one registration; prints "ok", "refused" or
//                               the error
//   register-loop DIR PREFIX N  registers PREFIX0 ... one after the other,
//                               a line "ok i" or "failed i" after each
//   poll DIR NAME PASSWORD      logs NAME in again and again until a line
//                               comes on stdin, then prints "reads R
//                               misses M"
//   finish DIR USER TEST GRADE  the end of a test run: the log line to the
//                               settings' log, then the grade written back;
//                               prints "ok" or the error
#include "Accounts.h"
#include "AdminSettings.h"
#include "FileLock.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestLog.h"
#include "UserList.h"

#include <QByteArray>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <poll.h>

namespace {

QByteArray loopSection(long i)
{
    return "s" + QByteArray::number(i % 7);
}

int writeLoop(long first)
{
    for (long i = first;; ++i) {
        Store::write(loopSection(i), "k" + QByteArray::number(i), "v" + QByteArray::number(i),
                     Accounts::UsersIni);
        std::printf("%ld\n", i);
        std::fflush(stdout);
    }
}

int worker(const QByteArray &id, int writes)
{
    for (int i = 0; i < writes; ++i) {
        const QByteArray n = QByteArray::number(i);
        Store::write("shared", "w" + id + "_" + n, id + ":" + n, Accounts::UsersIni);
        if (i % 4 == 0)
            Accounts::registerUser("user" + id + "_" + n, "pw" + id + n);
    }
    return 0;
}

int writeOnce(const QByteArray &writer, const QByteArray &name)
{
    if (writer == "ini") {
        Store::write("ivan", "test1", "5", name);
    } else if (writer == "erase") {
        Store::eraseSection("ivan", name);
    } else if (writer == "users") {
        UserList::save({"ivan", "petr", "new"});
    } else if (writer == "settings") {
        AdminSettings settings;
        settings.login = "root";
        settings.password = "new";
        settings.logName = name;
        settings.write();
    } else if (writer == "log") {
        TestLog::append(name, "ivan | 10:00:00 | 01.09.2024 | test1 | 5\r\n");
    } else {
        return 3;
    }
    return 0;
}

int finish(const QByteArray &user, int test, int grade)
{
    const AdminSettings settings = AdminSettings::read();
    TestLog::append(settings.logName, TestLog::line(user, QDateTime::currentDateTime(),
                                                    Accounts::testKey(test), grade));
    Accounts::Scores scores{};
    for (int k = 1; k <= Accounts::TestCount; ++k)
        scores[k - 1] = Accounts::readGrade(user, k);
    scores[test - 1] = quint8(grade);
    return Accounts::writeScores(user, scores) ? 0 : 1;
}

int hold()
{
    const FileLock lock(Paths::resolve(Accounts::UsersIni));
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    return 0;
}

int registerOnce(const QByteArray &name, const QByteArray &password)
{
    const Accounts::Registration done = Accounts::registerUser(name, password);
    std::printf(done.refusal == Accounts::Refusal::None ? "ok\n" : "refused\n");
    return 0;
}

int registerLoop(const QByteArray &prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        try {
            ok = Accounts::registerUser(prefix + QByteArray::number(i), "pw").refusal ==
                 Accounts::Refusal::None;
        } catch (const RuntimeError &e) {
            std::fprintf(stderr, "%d: %s\n", i, e.message().toUtf8().constData());
        }
        std::printf("%s %d\n", ok ? "ok" : "failed", i);
        std::fflush(stdout);
    }
    return 0;
}

int pollLogin(const QByteArray &name, const QByteArray &password)
{
    long reads = 0;
    long misses = 0;
    struct pollfd input = {0, POLLIN, 0};
    while (::poll(&input, 1, 0) == 0) {
        ++reads;
        if (!Accounts::passwordMatches(name, password))
            ++misses;
    }
    std::printf("reads %ld misses %ld\n", reads, misses);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "usage: write-loop|worker|write DIR ...\n");
        return 3;
    }
    try {
        if (std::strcmp(argv[1], "write-loop") == 0 && argc == 4)
            return writeLoop(std::atol(argv[3]));
        if (std::strcmp(argv[1], "worker") == 0 && argc == 5)
            return worker(argv[3], std::atoi(argv[4]));
        if (std::strcmp(argv[1], "hold") == 0 && argc == 3)
            return hold();
        if (std::strcmp(argv[1], "register") == 0 && argc == 5)
            return registerOnce(argv[3], argv[4]);
        if (std::strcmp(argv[1], "register-loop") == 0 && argc == 5)
            return registerLoop(argv[3], std::atoi(argv[4]));
        if (std::strcmp(argv[1], "poll") == 0 && argc == 5)
            return pollLogin(argv[3], argv[4]);
        if (std::strcmp(argv[1], "finish") == 0 && argc == 6) {
            const int rc = finish(argv[3], std::atoi(argv[4]), std::atoi(argv[5]));
            std::printf(rc == 0 ? "ok\n" : "no such user\n");
            return rc;
        }
        if (std::strcmp(argv[1], "write") == 0 && argc == 5) {
            const int rc = writeOnce(argv[3], argv[4]);
            if (rc == 0)
                std::printf("ok\n");
            return rc;
        }
    } catch (const RuntimeError &e) {
        std::printf("%s\n", e.message().toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr, "bad arguments\n");
    return 3;
}
