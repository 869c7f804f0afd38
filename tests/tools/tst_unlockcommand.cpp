// SPDX-License-Identifier: GPL-3.0-or-later
// coursebook-admin unlock: what copies left in a class folder is listed with
// its holder, and --force removes it, so the next write goes through.
#include "GoneProcess.h"
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

class TestUnlockCommand : public QObject
{
    Q_OBJECT

private slots:
    void listsThenClears();
    void forceFollowsNoLink();

private:
    ToolRun run(const QStringList &args)
    {
        return ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), args, QDir::rootPath(), 60000);
    }
};

void TestUnlockCommand::listsThenClears()
{
    TempWorkDir dir;
    QVERIFY(dir.isValid());
    const QString d = dir.path();
    QVERIFY(dir.write(u"data/info/tumb.db"_s, "admin|secret|log.txt\r\n"));
    const QByteArray gone = QByteArray::number(GoneProcess::id());
    // A lock of a copy that died, with a stray file inside; a lock of another
    // machine, fresh; a side file; a folder in a side file's place.
    QVERIFY(dir.write(u"users.ini.lock/holder"_s,
                      gone + "\ncoursebook\n" + QSysInfo::machineHostName().toUtf8() + "\n1f\n"));
    QVERIFY(dir.write(u"users.ini.lock/stray.txt"_s, "x"));
    // A holder that steers a terminal is shown escaped.
    QVERIFY(dir.write(u"log.txt.lock/holder"_s, "4711\ncoursebook\nclassroom-pc-7\x1b[2J\n2e\n"));
    QVERIFY(dir.write(u"data/tests/test1.ini.new"_s, "[inf]\r\n"));
    QVERIFY(dir.write(u"users.new/left.txt"_s, "y"));
    const QStringList left{u"data/tests/test1.ini.new"_s, u"log.txt.lock"_s, u"users.ini.lock"_s,
                           u"users.new"_s};

    const ToolRun listed = run({u"unlock"_s, u"--dir"_s, d});
    QCOMPARE(listed.exitCode, 0);
    qInfo("%s", listed.out.constData());
    const QStringList lines = listed.outText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), left.size());
    for (int i = 0; i < left.size(); ++i)
        QVERIFY2(lines[i].startsWith(QDir::toNativeSeparators(dir.filePath(left[i])) + u": "_s),
                 qPrintable(lines[i]));
    QVERIFY2(lines[1].contains(
                 u"программа coursebook на компьютере classroom-pc-7\\x1b[2J, процесс 4711"_s) &&
                 !listed.out.contains('\x1b'),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].contains(u"процесс завершён"_s), qPrintable(lines[2]));
    for (const QString &name : left)
        QVERIFY(QFileInfo::exists(dir.filePath(name)));

    // The folder in the side file's place refuses the registration at once
    // and is named.
    QElapsedTimer clock;
    clock.start();
    const ToolRun refused = run({u"register"_s, u"anna"_s, u"pw"_s, u"--dir"_s, d});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY2(refused.errText().contains(QDir::toNativeSeparators(dir.filePath(u"users.new"_s))),
             refused.err.constData());
    qInfo("%s", refused.err.constData());

    // The registration took over the dead copy's lock on its way.
    QVERIFY(!QFileInfo::exists(dir.filePath(u"users.ini.lock"_s)));
    const ToolRun cleared = run({u"unlock"_s, u"--dir"_s, d, u"--force"_s});
    QCOMPARE(cleared.exitCode, 0);
    QCOMPARE(cleared.out.count("\n"), left.size() - 1);
    for (const QString &name : left)
        QVERIFY2(!QFileInfo::exists(dir.filePath(name)), qPrintable(name));
    QVERIFY(QFileInfo::exists(dir.filePath(u"data/info/tumb.db"_s)));

    QCOMPARE(run({u"register"_s, u"anna"_s, u"pw"_s, u"--dir"_s, d}).exitCode, 0);
    const ToolRun after = run({u"unlock"_s, u"--dir"_s, d});
    QCOMPARE(after.exitCode, 0);
    QVERIFY2(after.outText().contains(u"нет блокировок"_s), after.out.constData());
}

// A student swaps each subfolder of a folder left in a side file's place
// for a link to someone else's folder, back and forth, while it is removed.
void TestUnlockCommand::forceFollowsNoLink()
{
    TempWorkDir dir;
    QTemporaryDir outside;
    for (int i = 0; i < 5; ++i)
        QVERIFY(QFile(outside.filePath(u"keep%1"_s.arg(i))).open(QIODevice::WriteOnly));
    for (int f = 0; f < 50 * 20; ++f)
        QVERIFY(dir.write(u"users.ini.new/d%1/f%2"_s.arg(f / 20).arg(f % 20), "x"));
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (int i = 0; !stop; i = (i + 1) % 50) {
            const QByteArray sub = QFile::encodeName(dir.filePath(u"users.ini.new/d%1"_s.arg(i)));
            const QByteArray held = QFile::encodeName(dir.filePath(u"held%1"_s.arg(i)));
            if (std::rename(sub.constData(), held.constData()) != 0)
                continue;
            if (::symlink(QFile::encodeName(outside.path()).constData(), sub.constData()) == 0) {
                ::usleep(200);
                ::unlink(sub.constData());
            }
            std::rename(held.constData(), sub.constData());
        }
    });
    run({u"unlock"_s, u"--dir"_s, dir.path(), u"--force"_s});
    stop = true;
    swapper.join();
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files).size(), 5);
}

QTEST_GUILESS_MAIN(TestUnlockCommand)
#include "tst_unlockcommand.moc"
