// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShareFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

QString statePath()
{
    return qEnvironmentVariable("COURSEBOOK_SHARE_STATE");
}

} // namespace

QString ShareFolder::stateValue(const QByteArray &key)
{
    QFile state(statePath());
    if (!state.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : state.readAll().split('\n')) {
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    }
    return QString();
}

QString ShareFolder::throughGvfs(const QString &path, QString *why)
{
    const QString share = stateValue("share");
    const QString gvfs = stateValue("gvfs");
    if (!requested() || share.isEmpty() || !path.startsWith(share + u'/')) {
        *why = QStringLiteral("no classroom share: the folder is not on the share");
        return QString();
    }
    if (gvfs.isEmpty()) {
        *why = QStringLiteral("no classroom share: no GVFS client: ") + stateValue("gvfs-skip");
        return QString();
    }
    return gvfs + path.mid(share.size());
}

bool ShareFolder::requested()
{
    return !statePath().isEmpty();
}

QString ShareFolder::tempTemplate(QString *why)
{
    const QString pattern = QStringLiteral("/cb-XXXXXX");
    if (!requested())
        return QDir::tempPath() + pattern;
    const QString prefix = QStringLiteral("no classroom share: ");
    QFile state(statePath());
    if (!state.open(QIODevice::ReadOnly)) {
        *why = prefix + QStringLiteral("the fixture left no state in %1").arg(statePath());
        return QString();
    }
    for (const QByteArray &line : state.readAll().split('\n')) {
        if (line.startsWith("skip=")) {
            *why = prefix + QString::fromUtf8(line.mid(5));
            return QString();
        }
        if (line.startsWith("share=")) {
            const QString share = QString::fromUtf8(line.mid(6));
            if (!QFileInfo(share).isDir()) {
                *why = prefix + QStringLiteral("%1 is not mounted").arg(share);
                return QString();
            }
            return share + pattern;
        }
    }
    *why = prefix + QStringLiteral("the fixture's state names no share");
    return QString();
}

const char *ShareFolder::where()
{
    return requested() ? "on the share" : "on the local disk";
}

QStringList ShareFolder::locksIn(const QString &folder)
{
    QStringList locks;
    QDirIterator it(folder, {QStringLiteral("*.lock")},
                    QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        locks.append(QDir(folder).relativeFilePath(it.next()));
    return locks;
}
