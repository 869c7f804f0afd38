// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Finds the entry of dir that equals name without regard to letter case;
// an exact match wins. Returns an empty string when there is none.
QString matchEntry(const QString &dir, const QString &name)
{
    const QString exact =
        dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return name;
    const QStringList entries = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

} // namespace

QString Paths::workingDirectory()
{
    const QString current = QDir::currentPath();
    if (!current.isEmpty())
        return current;
    // The folder was removed while the program runs in it, and the system no
    // longer names it. An empty base would put every file at the root of the
    // disk; the name the folder had keeps them in a missing folder, so every
    // read finds nothing and every write is refused.
    const QString gone = QFile::symLinkTarget(QStringLiteral("/proc/self/cwd"));
    return gone.isEmpty() ? QStringLiteral(".") : gone;
}

QString Paths::resolve(const QByteArray &name)
{
    return resolve(CodePage::toUnicode(name));
}

QString Paths::resolve(const QString &name)
{
    QString given = name;
    given.replace(QLatin1Char('\\'), QLatin1Char('/'));

    QString base;
    if (name.startsWith(QLatin1Char('\\')) || !QDir::isAbsolutePath(given)) {
        base = workingDirectory();
    } else {
        base = QDir::rootPath();
#ifdef Q_OS_WIN
        if (given.size() >= 2 && given.at(1) == QLatin1Char(':')) {
            base = given.left(2) + QLatin1Char('/');
            given = given.mid(2);
        }
#endif
    }

    const QStringList parts = given.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = base;
    bool found = true;
    for (const QString &part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            path = QFileInfo(path).path();
            continue;
        }
        QString entry = part;
        if (found) {
            const QString match = matchEntry(path, part);
            if (match.isEmpty())
                found = false;
            else
                entry = match;
        }
        if (!path.endsWith(QLatin1Char('/')))
            path += QLatin1Char('/');
        path += entry;
    }
    return path;
}

QString Paths::display(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
