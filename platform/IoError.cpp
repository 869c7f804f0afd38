// SPDX-License-Identifier: GPL-3.0-or-later
#include "IoError.h"

#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

RuntimeError IoError::unableToWrite(const QString &path)
{
    return RuntimeError(QStringLiteral("Unable to write to %1").arg(Paths::display(path)));
}

RuntimeError IoError::inOut(const QString &path, int systemError)
{
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
        if (!QFileInfo(QFileInfo(path).path()).isDir())
            return RuntimeError(QStringLiteral("Path not found"));
        return RuntimeError(QStringLiteral("File not found"));
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return RuntimeError(QStringLiteral("File access denied"));
    case EMFILE:
    case ENFILE:
        return RuntimeError(QStringLiteral("Too many open files"));
    case ENOSPC:
    case EDQUOT:
        return RuntimeError(QStringLiteral("Disk full"));
    default:
        return RuntimeError(QStringLiteral("I/O error %1").arg(systemError));
    }
}

RuntimeError IoError::cannotOpen(const QString &path, const QString &reason)
{
    return RuntimeError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(Paths::display(path), reason));
}

RuntimeError IoError::cannotCreate(const QString &path, const QString &reason)
{
    return RuntimeError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(Paths::display(path), reason));
}

QString IoError::reason(int systemError)
{
    return QString::fromLocal8Bit(std::strerror(systemError));
}
