#include "UserList.h"

#include "CodePage.h"
#include "FileLock.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "Paths.h"
#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

const QByteArray UserList::FileName = QByteArrayLiteral("users");

namespace {

QString listPath()
{
    return Paths::resolve(UserList::FileName);
}

// Where the list is written: inside the course folder only.
QString writePath()
{
    return FolderBounds::recordPath(listPath());
}

QList<QByteArray> split(const QByteArray &data)
{
    QList<QByteArray> names;
    qsizetype start = 0;
    const qsizetype n = data.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        names.append(data.mid(start, end - start));
        if (end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return names;
}

QByteArray join(const QList<QByteArray> &names)
{
    QByteArray out;
    for (const QByteArray &name : names)
        out += name + "\r\n";
    return out;
}

QList<QByteArray> loadFrom(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw IoError::cannotOpen(path, IoError::reason(TextFile::diagnose(path, false)));
    return split(file.readAll());
}

void saveTo(const QString &path, const QList<QByteArray> &names)
{
    try {
        TextFile::replace(path, join(names));
    } catch (const RuntimeError &) {
        throw IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
    }
}

// The lock beside the list is part of writing it: a folder that refuses the
// lock refuses the list, in the words of a list that cannot be created.
std::unique_ptr<FileLock> lockList(const QString &path)
{
    try {
        return std::make_unique<FileLock>(path);
    } catch (const RuntimeError &) {
        throw IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
    }
}

} // namespace

UserList::Lock::Lock() : m_lock(lockList(writePath())) {}

UserList::Lock::~Lock() = default;

void UserList::checkWritable()
{
    const QString path = writePath();
    if (!TextFile::canReplace(path))
        throw IoError::cannotCreate(path, IoError::reason(TextFile::diagnose(path, true)));
}

bool UserList::exists()
{
    return QFileInfo::exists(listPath());
}

QList<QByteArray> UserList::load()
{
    return loadFrom(listPath());
}

void UserList::save(const QList<QByteArray> &names)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    saveTo(path, names);
}

QList<QByteArray> UserList::add(const QByteArray &name)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    QList<QByteArray> names = QFileInfo::exists(path) ? loadFrom(path) : QList<QByteArray>();
    names.append(name);
    saveTo(path, names);
    return names;
}

QList<QByteArray> UserList::remove(const QByteArray &name)
{
    const QString path = writePath();
    const std::unique_ptr<FileLock> lock = lockList(path);
    QList<QByteArray> names = QFileInfo::exists(path) ? loadFrom(path) : QList<QByteArray>();
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (CodePage::equalsIgnoreCase(names[i], name)) {
            names.removeAt(i);
            break;
        }
    }
    saveTo(path, names);
    return names;
}
