#include "TextFile.h"

#include "IoError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

bool TextFile::isReadOnly(const QString &path)
{
    const QFileInfo info(path);
    constexpr QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

bool TextFile::canReplace(const QString &path)
{
    const QFileInfo info(path);
    const QFileInfo dir(info.path());
    return dir.isDir() && dir.isWritable() && !info.isDir() &&
           (!info.exists() || !isReadOnly(path));
}

int TextFile::diagnose(const QString &path, bool writing)
{
    const QFileInfo info(path);
    const QFileInfo dir(info.path());
    if (!dir.exists())
        return ENOENT;
    if (!dir.isDir())
        return ENOTDIR;
    if (info.isDir())
        return EISDIR;
    // Files are replaced through a new file beside them, which the folder
    // must allow.
    if (writing && !dir.isWritable())
        return EACCES;
    if (!info.exists())
        return writing ? EACCES : ENOENT;
    if (writing ? isReadOnly(path) : !info.isReadable())
        return EACCES;
    return EIO;
}

QByteArray TextFile::read(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw IoError::inOut(path, diagnose(path, false));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw IoError::inOut(path, EIO);
    return data;
}

void TextFile::replace(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    // The atomic replacement would otherwise go through a read-only file.
    if (info.isDir() || (info.exists() && !info.isWritable()))
        throw IoError::inOut(path, diagnose(path, true));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw IoError::inOut(path, diagnose(path, true));
    if (file.write(data) != data.size() || !file.commit())
        throw IoError::inOut(path, info.exists() ? EIO : diagnose(path, true));
}

void TextFile::append(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw IoError::inOut(path, diagnose(path, true));
    if (file.write(data) != data.size() || !file.flush())
        throw IoError::inOut(path, ENOSPC);
}
