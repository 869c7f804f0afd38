// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "CourseFolder.h"
#include "RealComponent.h"
#include "ShareFolder.h"
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <vector>

namespace {

const QByteArray SettingsLine = "admin|admin123|testlog.txt\r\n";

bool listened(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool answered = ::connect(s, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    ::close(s);
    return answered;
}

struct TerminalRun
{
    int exitCode = -1; // -1 when it did not end by itself in time
    QByteArray seen;   // everything the terminal showed
};

// Runs the program on a terminal of its own and types each answer once its
// prompt has shown, as a person at the terminal would.
TerminalRun onTerminal(const QByteArray &program, const QList<QByteArray> &args,
                       const QList<QPair<QByteArray, QByteArray>> &answers)
{
    TerminalRun run;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return run;
    if (child == 0) {
        std::vector<char *> argv{const_cast<char *>(program.constData())};
        for (const QByteArray &arg : args)
            argv.push_back(const_cast<char *>(arg.constData()));
        argv.push_back(nullptr);
        execv(program.constData(), argv.data());
        _exit(127);
    }
    qsizetype answered = 0, from = 0;
    QDeadlineTimer deadline(120000);
    for (;;) {
        pollfd wait{terminal, POLLIN, 0};
        if (::poll(&wait, 1, 100) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(terminal, buffer, sizeof buffer);
            if (got <= 0) // the program ended and closed the terminal
                break;
            run.seen.append(buffer, got);
        }
        if (answered < answers.size() && run.seen.indexOf(answers.at(answered).first, from) >= 0) {
            from = run.seen.size();
            const QByteArray line = answers.at(answered++).second + '\n';
            if (::write(terminal, line.constData(), size_t(line.size())) != line.size())
                break;
        }
        if (deadline.hasExpired()) {
            ::kill(child, SIGKILL);
            break;
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

// The lab's class folder given by its share's address in the system-wide
// settings, reached the way a student's copy and the tool reach it: through
// the desktop's GVFS client of the share fixture, in that client's D-Bus
// session. A share open to guests, one that lets in only a user of the
// server, and an address nothing answers on.
class TestClassShare : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_system;
    std::unique_ptr<TempWorkDir> m_work;
    std::unique_ptr<QTemporaryDir> m_course; // on the server's disk
    QString m_unanswered;

    // Each row starts with the closed share not mounted, as a fresh login.
    void unmountClosed()
    {
        QProcess gio;
        gio.setStandardOutputFile(QProcess::nullDevice());
        gio.setStandardErrorFile(QProcess::nullDevice());
        gio.start(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-u"),
                                          ShareFolder::stateValue("closed")});
        gio.waitForFinished();
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("COURSEBOOK_SHARE_STATE"))
            QSKIP("no classroom share: the test runs with the share fixture (ctest)");
        if (!ShareFolder::stateValue("skip").isEmpty())
            COURSEBOOK_COMPONENT_MISSING(QStringLiteral("no classroom share: ") +
                                         ShareFolder::stateValue("skip"));
        if (ShareFolder::stateValue("gvfs_bus").isEmpty())
            COURSEBOOK_COMPONENT_MISSING(QStringLiteral("no classroom share: no GVFS client: ") +
                                         ShareFolder::stateValue("gvfs-skip"));
        // The fixture's GVFS answers on its own D-Bus session; the volume
        // monitors of disks and phones stay out of it.
        qputenv("DBUS_SESSION_BUS_ADDRESS", ShareFolder::stateValue("gvfs_bus").toUtf8());
        qputenv("GIO_USE_VOLUME_MONITOR", "unix");
        qputenv("GVFS_REMOTE_VOLUME_MONITOR_IGNORE", "1");
        // Read once by the settings of the whole process, so before any.
        QVERIFY(m_system.isValid());
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_system.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_system.filePath("home")));
        quint16 port = 4600;
        while (listened(port) && port < 4700)
            ++port;
        QVERIFY(!listened(port));
        m_unanswered = QStringLiteral("smb://127.0.0.1:%1/SHARE/course").arg(port);
    }

    void init() { unmountClosed(); }

    void cleanup()
    {
        unmountClosed();
        m_course.reset();
        m_work.reset();
    }

    // With no window to ask in, the tool asks on the terminal it runs on,
    // and only there; the password is not shown as it is typed.
    void toolAsksOnATerminal()
    {
        if (ShareFolder::stateValue("closed").isEmpty())
            COURSEBOOK_COMPONENT_MISSING(QStringLiteral("no classroom share: ") +
                                         ShareFolder::stateValue("closed-skip"));
        m_course = std::make_unique<QTemporaryDir>(ShareFolder::stateValue("closed_folder") +
                                                   QStringLiteral("/lab-XXXXXX"));
        QVERIFY(m_course->isValid());
        QVERIFY(TempWorkDir::writeFile(m_course->filePath("data/info/tumb.db"), SettingsLine));
        QVERIFY(TempWorkDir::writeFile(m_course->filePath("users"), "anna\r\n"));
        QVERIFY(TempWorkDir::writeFile(m_course->filePath("users.ini"),
                                       "[anna]\r\npassword=pw\r\ntest1=1\r\n"));
        const QByteArray address =
            (ShareFolder::stateValue("closed") + u'/' + QFileInfo(m_course->path()).fileName())
                .toUtf8();
        const QByteArray password = ShareFolder::stateValue("closed_password").toUtf8();
        const TerminalRun run =
            onTerminal(COURSEBOOK_ADMIN, {"users", "--dir", address},
                       {{"Пользователь: ", ShareFolder::stateValue("closed_user").toUtf8()},
                        {"Домен", QByteArray()},
                        {"Пароль: ", password},
                        {"Логин администратора: ", "admin"},
                        {"Пароль администратора: ", "admin123"}});
        QVERIFY2(run.exitCode == 0, run.seen.constData());
        QVERIFY2(run.seen.contains("anna"), run.seen.constData());
        QVERIFY2(!run.seen.contains(password), run.seen.constData());
        QVERIFY2(!run.seen.contains("admin123"), run.seen.constData());
    }

    void classFolder_data()
    {
        QTest::addColumn<QString>("share"); // SHARE, CLOSED or none answering
        QTest::addColumn<QString>("below"); // the course folder made on the share
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("cause"); // empty: reached
        // 0 no, 1 asked for, 2 the one given refused
        QTest::addColumn<int>("login");
        const QString asked = QStringLiteral("по имени пользователя и паролю");
        const QString refused = QStringLiteral("не принял имя пользователя и пароль");
        QTest::newRow("open to guests: mounted, course found, registration on the share")
            << "SHARE"
            << ""
            << ""
            << "" << 0;
        QTest::newRow("open to guests, folder missing on it: named missing")
            << "SHARE"
            << "/gone"
            << "" << QStringLiteral("её нет") << 0;
        QTest::newRow("closed, no login given: the user is asked") << "CLOSED"
                                                                   << ""
                                                                   << "" << asked << 1;
        QTest::newRow("closed, wrong password: asked again") << "CLOSED"
                                                             << ""
                                                             << "wrong" << refused << 2;
        QTest::newRow("closed, the server's user: mounted, registration on the share") << "CLOSED"
                                                                                       << ""
                                                                                       << "right"
                                                                                       << "" << 0;
        QTest::newRow("nothing answers on the port: refused with the cause")
            << ""
            << ""
            << "" << QStringLiteral("общая папка не подключается") << 0;
    }

    void classFolder()
    {
        QFETCH(QString, share);
        QFETCH(QString, below);
        QFETCH(QString, password);
        QFETCH(QString, cause);
        QFETCH(int, login);
        if (share == QLatin1String("CLOSED") && ShareFolder::stateValue("closed").isEmpty())
            COURSEBOOK_COMPONENT_MISSING(QStringLiteral("no classroom share: ") +
                                         ShareFolder::stateValue("closed-skip"));

        // The course on the server: through the guest's client for the open
        // share, so that the guest may write it, on the server's disk for
        // the closed one, which its user may write.
        const QString root = share == QLatin1String("SHARE")
                                 ? ShareFolder::stateValue("share")
                                 : ShareFolder::stateValue("closed_folder");
        m_course = std::make_unique<QTemporaryDir>(root + QStringLiteral("/lab-XXXXXX"));
        QVERIFY(m_course->isValid());
        QVERIFY(TempWorkDir::writeFile(m_course->filePath("data/info/tumb.db"), SettingsLine));
        QVERIFY(TempWorkDir::writeFile(m_course->filePath("users"), QByteArray()));
        const QString name = QFileInfo(m_course->path()).fileName();
        const QString address =
            share.isEmpty() ? m_unanswered
                            : QStringLiteral("%1/%2").arg(
                                  ShareFolder::stateValue(
                                      share == QLatin1String("SHARE") ? "address" : "closed"),
                                  name + below);
        QVERIFY(TempWorkDir::writeFile(m_system.filePath("coursebook/coursebook.conf"),
                                       "[General]\nClassFolder=" + address.toUtf8() + "\n"));
        m_work = std::make_unique<TempWorkDir>();
        QVERIFY(m_work->isCurrent());
        QVERIFY(m_work->mkpath("userdata"));
        const QStringList before =
            QDir(m_course->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QSettings settings(m_work->filePath("settings.ini"), QSettings::IniFormat);
        CourseFolder folder(settings, m_work->filePath("sample"), m_work->filePath("userdata"),
                            CourseFolder::systemClassFolder());
        if (!password.isEmpty())
            folder.setShareLogin({ShareFolder::stateValue("closed_user"), QString(),
                                  password == QLatin1String("right")
                                      ? ShareFolder::stateValue("closed_password")
                                      : password});
        const CourseFolder::Choice choice = folder.enter(QString());
        // The share's address is no path to read the settings from: the
        // administrator's login is given as a script gives it.
        const QString loginFile = m_work->filePath(QStringLiteral("admin-login"));
        QVERIFY(TempWorkDir::writeFile(loginFile, "admin\nadmin123\n"));
        QVERIFY(QFile::setPermissions(loginFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const auto tool = [this, &loginFile] {
            return ToolRun::run(
                QStringLiteral(COURSEBOOK_ADMIN),
                {QStringLiteral("users"), QStringLiteral("--admin-login"), loginFile},
                m_work->path(), 120000);
        };

        if (cause.isEmpty()) {
            QVERIFY2(choice.refusal.isEmpty(), qPrintable(choice.refusal));
            QCOMPARE(int(choice.source), int(CourseFolder::Source::ClassFolder));
            // Entered where GVFS mounts it, not on the server's disk.
            QCOMPARE(canonical(QDir::currentPath()), canonical(choice.folder));
            QVERIFY(QDir::currentPath().contains(QLatin1String("/gvfs/")));
            // Remembered by its address: the local path holds this session only.
            QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(), address);
            QCOMPARE(int(Accounts::registerUser("anna", "pw").refusal),
                     int(Accounts::Refusal::None));
            QFile users(m_course->filePath("users.ini"));
            QVERIFY(users.open(QIODevice::ReadOnly));
            QVERIFY(users.readAll().contains("[anna]"));
            const ToolRun listed = tool();
            QCOMPARE(listed.exitCode, 0);
            QVERIFY2(listed.outText().contains(QLatin1String("anna")), listed.out.constData());
            return;
        }
        QVERIFY2(choice.refusal.contains(address), qPrintable(choice.refusal));
        QVERIFY2(choice.refusal.contains(cause), qPrintable(choice.refusal));
        QVERIFY(choice.canRetry);
        QCOMPARE(choice.needsLogin, login > 0);
        QCOMPARE(choice.loginRefused, login > 1);
        // Nothing made anywhere, nothing remembered.
        QCOMPARE(canonical(QDir::currentPath()), canonical(m_work->path()));
        QCOMPARE(settings.value(CourseFolder::LastFolderKey).toString(), QString());
        QCOMPARE(
            QDir(m_work->filePath("userdata")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList());
        QCOMPARE(QDir(m_course->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        // The tool, with no terminal to ask on, says the same and exits 2.
        const ToolRun refused = tool();
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.errText().contains(address), refused.err.constData());
        QVERIFY2(refused.errText().contains(
                     login > 0 ? QStringLiteral("по имени пользователя и паролю") : cause),
                 refused.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestClassShare)
#include "tst_classshare.moc"
