#include "ShareAddress.h"

#include <QProcess>
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

GioRun gio(const QStringList &args)
{
    GioRun run;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (program.isEmpty()) {
        run.err = QStringLiteral("программа gio (GVFS) не установлена");
        return run;
    }
    QProcess process;
    // No terminal to ask on: a share that wants a password is mounted once
    // in the file manager, which keeps it for the session.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
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

QString ShareAddress::localPath(const QString &address, QString *problem)
{
    QString path = mountedPath(address);
    if (!path.isEmpty())
        return path;
    const GioRun mount = gio({QStringLiteral("mount"), address});
    path = mountedPath(address);
    if (path.isEmpty() && problem)
        *problem = mount.err.isEmpty()
                       ? QStringLiteral("общая папка не подключается")
                       : QStringLiteral("общая папка не подключается (%1)").arg(mount.err);
    return path;
}
