// SPDX-License-Identifier: GPL-3.0-or-later
// A refused write for each writer: the runtime's error, the file as it was, no
// crash, and the writer usable once the obstacle is gone. The obstacles of the
// first test refuse root too; the permission ones run the writer as an
// unprivileged user when the test runs as root, except a file without any
// write bit, which refuses root as well.
#include "AdminSettings.h"
#include "IoError.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestLog.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <unistd.h>

class RefusedWritesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void obstacle_data();
    void obstacle();
    void deletedWorkingDirectory_data();
    void deletedWorkingDirectory();
    void permission_data();
    void permission();

private:
    QString m_home;
};

namespace {

enum class Obstacle
{
    FolderAtFile, // a folder where the file should be
    FileAtFolder, // a file where its folder should be
    MissingFolder,
};

enum class Permission
{
    ReadOnlyFile,
    ReadOnlyFolder,
    NoWriteBit, // the file's mode has no write bit; the writer runs as the test does
};

struct Writer
{
    QByteArray name;
    // The file it writes, relative to the working directory, for a target in
    // the folder "data\info" or in the working directory itself.
    std::function<QByteArray(bool inFolder)> target;
    std::function<void(const QByteArray &target)> write;
    std::function<QByteArray()> expectedText; // what a successful write leaves
};

QByteArray asStored(QByteArray name)
{
    return name.startsWith('\\') ? name.mid(1) : name;
}

QList<Writer> writers()
{
    const auto iniTarget = [](bool inFolder) {
        return QByteArray(inFolder ? "\\data\\info\\users.ini" : "\\users.ini");
    };
    return {
        {"ini", iniTarget, [](const QByteArray &t) { Store::write("ivan", "test1", "5", t); }, {}},
        {"users", [](bool) { return QByteArray("users"); },
         [](const QByteArray &) {
             UserList::save({"ivan", "petr", "new"});
         },
         [] { return QByteArray("ivan\r\npetr\r\nnew\r\n"); }},
        {"settings", [](bool) { return AdminSettings::FileName; },
         [](const QByteArray &t) {
             AdminSettings s;
             s.login = "root";
             s.password = "new";
             s.logName = t;
             s.write();
         },
         [] { return QByteArray("root|new|data\\info\\tumb.db\r\n"); }},
        {"log",
         [](bool inFolder) { return QByteArray(inFolder ? "data\\info\\log.txt" : "log.txt"); },
         [](const QByteArray &t) {
             TestLog::append(t, "ivan | 10:00:00 | 01.09.2024 | test1 | 5\r\n");
         },
         {}},
    };
}

const Writer &writer(const QByteArray &name)
{
    static const QList<Writer> all = writers();
    for (const Writer &w : all) {
        if (w.name == name)
            return w;
    }
    qFatal("no writer %s", name.constData());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool put(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// The message a refusal of each writer carries, for the path it refused.
bool isExpectedMessage(const QByteArray &writerName, const QString &message, const QString &path,
                       const QString &ioError)
{
    if (writerName == "ini")
        return message == QStringLiteral("Unable to write to %1").arg(Paths::display(path));
    if (writerName == "users") {
        const QString start =
            QStringLiteral("Cannot create file \"%1\". ").arg(Paths::display(path));
        return message.startsWith(start) && message.size() > start.size();
    }
    return message == ioError;
}

bool runsAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

void RefusedWritesTest::init()
{
    m_home = QDir::currentPath();
}

void RefusedWritesTest::cleanup()
{
    QDir::setCurrent(m_home);
}

void RefusedWritesTest::obstacle_data()
{
    QTest::addColumn<QByteArray>("writer");
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QString>("ioError");

    const int atFile = int(Obstacle::FolderAtFile);
    const int atFolder = int(Obstacle::FileAtFolder);
    const int missing = int(Obstacle::MissingFolder);
    const QString denied = QStringLiteral("File access denied");
    const QString notFound = QStringLiteral("Path not found");
    for (const char *w : {"ini", "settings", "log"}) {
        QTest::addRow("%s, folder at the file", w) << QByteArray(w) << atFile << denied;
        QTest::addRow("%s, file at the folder", w) << QByteArray(w) << atFolder << notFound;
        QTest::addRow("%s, missing folder", w) << QByteArray(w) << missing << notFound;
    }
    QTest::newRow("users, folder at the file") << QByteArray("users") << atFile << denied;
}

void RefusedWritesTest::obstacle()
{
    QFETCH(QByteArray, writer);
    QFETCH(int, obstacle);
    QFETCH(QString, ioError);
    const Writer &w = ::writer(writer);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    const Obstacle o = Obstacle(obstacle);
    const bool inFolder = o != Obstacle::FolderAtFile;
    const QByteArray target = w.target(inFolder);
    const QString path = dir.filePath(QString::fromLatin1(asStored(target)).replace('\\', '/'));
    const QString folder = dir.filePath(QStringLiteral("data/info"));
    if (inFolder && w.name != "users")
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("data")));
    switch (o) {
    case Obstacle::FolderAtFile:
        QVERIFY(QDir().mkpath(path));
        break;
    case Obstacle::FileAtFolder:
        QVERIFY(put(folder, "not a folder"));
        break;
    case Obstacle::MissingFolder:
        break;
    }

    try {
        w.write(target);
        QFAIL("the write was not refused");
    } catch (const RuntimeError &e) {
        QVERIFY2(isExpectedMessage(writer, e.message(), path, ioError), qPrintable(e.message()));
    }

    // Unchanged: the obstacle is still what it was and no file appeared.
    switch (o) {
    case Obstacle::FolderAtFile:
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(QDir(path).isEmpty());
        QVERIFY(QDir().rmdir(path));
        break;
    case Obstacle::FileAtFolder:
        QCOMPARE(contents(folder), QByteArray("not a folder"));
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(folder));
        break;
    case Obstacle::MissingFolder:
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(QDir().mkpath(folder));
        break;
    }
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.lock")}), QStringList());

    w.write(target);
    if (writer == "ini")
        QCOMPARE(Store::read("ivan", "test1", target), QByteArray("5"));
    else if (w.expectedText)
        QCOMPARE(contents(path), w.expectedText());
    else
        QVERIFY(contents(path).endsWith("test1 | 5\r\n"));
}

void RefusedWritesTest::deletedWorkingDirectory_data()
{
    QTest::addColumn<QByteArray>("writer");
    QTest::newRow("ini") << QByteArray("ini");
    QTest::newRow("users") << QByteArray("users");
    QTest::newRow("settings") << QByteArray("settings");
    QTest::newRow("log") << QByteArray("log");
}

// The folder the program runs in removed under it: every file below it is in
// a missing folder, and nothing may land anywhere else.
void RefusedWritesTest::deletedWorkingDirectory()
{
    QFETCH(QByteArray, writer);
    const Writer &w = ::writer(writer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString gone = dir.filePath(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(gone));
    QVERIFY(QDir::setCurrent(gone));
    QVERIFY(QDir().rmdir(gone));
    const QStringList rootBefore = QDir::root().entryList();
    const QStringList dirBefore = QDir(dir.path()).entryList();

    try {
        w.write(w.target(false));
        QFAIL("the write was not refused");
    } catch (const RuntimeError &e) {
        QVERIFY2(!e.message().isEmpty(), "an empty message");
        if (writer == "ini")
            QVERIFY2(e.message().startsWith(QLatin1String("Unable to write to ")),
                     qPrintable(e.message()));
        else if (writer == "users")
            QVERIFY2(e.message().startsWith(QLatin1String("Cannot create file \"")),
                     qPrintable(e.message()));
        else
            QCOMPARE(e.message(), QStringLiteral("Path not found"));
    }
    QCOMPARE(QDir::root().entryList(), rootBefore);
    QCOMPARE(QDir(dir.path()).entryList(), dirBefore);

    // Usable once the folder is back.
    QVERIFY(QDir().mkpath(gone));
    QVERIFY(QDir::setCurrent(gone));
    if (writer == "settings")
        QVERIFY(QDir().mkpath(QStringLiteral("data/info")));
    w.write(w.target(false));
    if (writer == "ini")
        QCOMPARE(Store::read("ivan", "test1", "\\users.ini"), QByteArray("5"));
}

void RefusedWritesTest::permission_data()
{
    QTest::addColumn<QByteArray>("writer");
    QTest::addColumn<int>("permission");
    QTest::addColumn<QString>("ioError");

    const QString denied = QStringLiteral("File access denied");
    for (const char *w : {"ini", "users", "settings", "log"}) {
        QTest::addRow("%s, read-only file", w)
            << QByteArray(w) << int(Permission::ReadOnlyFile) << denied;
        QTest::addRow("%s, read-only folder", w)
            << QByteArray(w) << int(Permission::ReadOnlyFolder) << denied;
        QTest::addRow("%s, no write bit, for root too", w)
            << QByteArray(w) << int(Permission::NoWriteBit) << denied;
    }
}

void RefusedWritesTest::permission()
{
    QFETCH(QByteArray, writer);
    QFETCH(int, permission);
    QFETCH(QString, ioError);
    const Writer &w = ::writer(writer);

    QString launcher = QStringLiteral(RELIABILITY_HELPER);
    QStringList prefix;
    if (runsAsRoot() && Permission(permission) != Permission::NoWriteBit) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root, whom permission bits do not stop, and no setpriv to drop "
                  "to an unprivileged user");
        prefix = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"), launcher};
        launcher = setpriv;
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The unprivileged user works inside the folder, so it must reach it.
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    const QByteArray target = w.target(w.name != "users");
    const QString path = dir.filePath(QString::fromLatin1(asStored(target)).replace('\\', '/'));
    const QString folder = QFileInfo(path).path();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
    for (QString up = QFileInfo(folder).path(); up.startsWith(dir.path()) && up != dir.path();
         up = QFileInfo(up).path())
        QVERIFY(QFile::setPermissions(up, QFileDevice::Permissions(0x7777)));

    const auto run = [&](QByteArray *out) {
        QProcess helper;
        helper.start(launcher, prefix + QStringList{QStringLiteral("write"), dir.path(),
                                                    QString::fromLatin1(w.name),
                                                    QString::fromLatin1(target)});
        if (!helper.waitForFinished(30000) || helper.exitStatus() != QProcess::NormalExit)
            return -1;
        *out = helper.readAllStandardOutput().trimmed();
        return helper.exitCode();
    };

    // Whether the unprivileged user can run the writer at all here.
    QByteArray out;
    if (run(&out) != 0) {
        if (runsAsRoot())
            QSKIP(qPrintable(QStringLiteral("the unprivileged user cannot run the writer here: ") +
                             QString::fromUtf8(out)));
        QFAIL(out.constData());
    }
    const QByteArray old = writer == "ini"
                               ? QByteArray("[ivan]\r\ntest1=\"") + Store::crypt("1") + "\"\r\n"
                               : QByteArray("old contents\r\n");
    QVERIFY(QFile::remove(path));
    QVERIFY(put(path, old));
    const bool readOnlyFolder = Permission(permission) == Permission::ReadOnlyFolder;
    if (readOnlyFolder && writer == "log")
        QVERIFY(QFile::remove(path)); // appending to a file needs no folder rights; creating does
    QVERIFY(QFile::setPermissions(path, readOnlyFolder ? QFileDevice::Permissions(0x6666)
                                                       : QFileDevice::Permissions(0x4444)) ||
            !QFileInfo::exists(path));
    if (readOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)));
    const QByteArray before = contents(path);
    const QFileDevice::Permissions modeBefore = QFileInfo(path).permissions();

    QCOMPARE(run(&out), 1);
    QVERIFY2(isExpectedMessage(writer, QString::fromUtf8(out), path, ioError), out.constData());
    QCOMPARE(contents(path), before);
    QCOMPARE(QFileInfo(path).permissions(), modeBefore);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), before == "<none>" ? 0 : 1);

    // Usable again once the folder or file may be written.
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
    if (QFileInfo::exists(path))
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6666)));
    QCOMPARE(run(&out), 0);
    if (writer == "ini") {
        QVERIFY(QDir::setCurrent(dir.path()));
        QCOMPARE(Store::read("ivan", "test1", target), QByteArray("5"));
    } else if (w.expectedText) {
        QCOMPARE(contents(path), w.expectedText());
    } else {
        QVERIFY(contents(path).endsWith("test1 | 5\r\n"));
    }
}

QTEST_GUILESS_MAIN(RefusedWritesTest)
#include "tst_refusedwrites.moc"
