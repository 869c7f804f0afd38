// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShareAddress.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace {

// A share that does not answer keeps the client waiting this long at most.
constexpr int MountWaitMs = 60000;
// The FUSE view shows a share a moment after the client reports it mounted;
// mounted again in the same session, the old entries hide it for about a
// second (measured: up to 0.85 s on the test server).
constexpr int FuseWaitMs = 5000;

struct GioRun
{
    bool ok = false;
    QString out;
    QString err;
};

// input is what the client reads on its standard input, where it asks for
// a user, a domain and a password; nothing, and it is told there is none.
GioRun gio(const QStringList &args, const QByteArray &input = QByteArray())
{
    GioRun run;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (program.isEmpty()) {
        run.err = QStringLiteral("программа gio (GVFS) не установлена");
        return run;
    }
    QProcess process;
    if (input.isEmpty())
        process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!input.isEmpty() && process.waitForStarted(MountWaitMs)) {
        process.write(input);
        process.closeWriteChannel();
    }
    if (!process.waitForFinished(MountWaitMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("сервер не ответил за %1 с").arg(MountWaitMs / 1000);
        return run;
    }
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return run;
}

// How many times the client asked for a login: each time it prints the
// server's message on a line and then its own prompt "User [default]: ",
// which the client does not translate.
int loginsAsked(const QString &out)
{
    static const QRegularExpression prompt(QStringLiteral("(^|\\n)User( \\[[^\\]\\n]*\\])?: "));
    int count = 0;
    for (auto it = prompt.globalMatch(out); it.hasNext(); it.next())
        ++count;
    return count;
}

QString mountedPath(const QString &address)
{
    const GioRun info = gio({QStringLiteral("info"), address});
    if (!info.ok)
        return QString();
    const QLatin1String key("local path: ");
    for (const QString &line : info.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed();
    }
    return QString();
}

// The share's own address, "smb://server/share", and the folder's path below
// it. The share's local path is known once it is mounted, so a folder missing
// on a connected share is found missing rather than the share unreachable.
QString shareRoot(const QString &address, QString *below)
{
    QUrl url(address);
    const QStringList parts =
        url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    below->clear();
    if (parts.isEmpty())
        return address;
    *below = parts.mid(1).join(QLatin1Char('/'));
    url.setPath(QLatin1Char('/') + parts.first());
    return url.toString();
}

} // namespace

bool ShareAddress::isAddress(const QString &text)
{
    return text.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive);
}

ShareAddress::Mount ShareAddress::mount(const QString &address, const Login &login)
{
    Mount result;
    QString below;
    const QString root = shareRoot(address, &below);
    const auto inside = [&below](const QString &share) {
        return share.isEmpty() || below.isEmpty() ? share : share + QLatin1Char('/') + below;
    };
    result.path = inside(mountedPath(root));
    if (!result.path.isEmpty())
        return result;
    // The client asks for the user, the domain and the password in that
    // order; an empty domain takes the one it proposes.
    const QByteArray input = login.isEmpty()
                                 ? QByteArray()
                                 : (login.user + QLatin1Char('\n') + login.domain +
                                    QLatin1Char('\n') + login.password + QLatin1Char('\n'))
                                       .toUtf8();
    const GioRun run = gio({QStringLiteral("mount"), root}, input);
    const QString mounted = mountedPath(root);
    if (!mounted.isEmpty()) {
        result.path = inside(mounted);
        const QDeadlineTimer shown(FuseWaitMs);
        while (!QFileInfo(result.path).isDir() && !shown.hasExpired())
            QThread::msleep(50);
        return result;
    }
    const int asked = loginsAsked(run.out);
    if (asked > (login.isEmpty() ? 0 : 1)) {
        result.needsLogin = true;
        result.loginRefused = !login.isEmpty();
        result.problem = result.loginRefused
                             ? QStringLiteral("сервер не принял имя пользователя и пароль")
                             : QStringLiteral("общая папка открыта только по имени "
                                              "пользователя и паролю");
        return result;
    }
    result.problem = run.err.isEmpty()
                         ? QStringLiteral("общая папка не подключается")
                         : QStringLiteral("общая папка не подключается (%1)").arg(run.err);
    return result;
}
