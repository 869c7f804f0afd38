#include "ShareAddress.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// A share that does not answer keeps the client waiting this long at most.
constexpr int MountWaitMs = 60000;

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

} // namespace

bool ShareAddress::isAddress(const QString &text)
{
    return text.startsWith(QLatin1String("smb://"), Qt::CaseInsensitive);
}

ShareAddress::Mount ShareAddress::mount(const QString &address, const Login &login)
{
    Mount result;
    result.path = mountedPath(address);
    if (!result.path.isEmpty())
        return result;
    // The client asks for the user, the domain and the password in that
    // order; an empty domain takes the one it proposes.
    const QByteArray input = login.isEmpty()
                                 ? QByteArray()
                                 : (login.user + QLatin1Char('\n') + login.domain +
                                    QLatin1Char('\n') + login.password + QLatin1Char('\n'))
                                       .toLocal8Bit();
    const GioRun run = gio({QStringLiteral("mount"), address}, input);
    result.path = mountedPath(address);
    if (!result.path.isEmpty())
        return result;
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
