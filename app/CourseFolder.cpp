#include "CourseFolder.h"

#include "AdminSettings.h"
#include "CodePage.h"
#include "IoError.h"
#include "Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>

namespace {

QString shown(const QString &folder)
{
    return QDir::toNativeSeparators(folder);
}

// Copies what the target lacks; a file already there, changed by the user or
// not, stays as it is.
void copyMissing(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        throw IoError::cannotCreate(to, IoError::reason(errno));
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(entry.filePath()));
        if (entry.isDir()) {
            if (!QDir().mkpath(target))
                throw IoError::cannotCreate(target, IoError::reason(errno));
            continue;
        }
        if (QFileInfo::exists(target))
            continue;
        QFile source(entry.filePath());
        if (!source.copy(target))
            throw IoError::cannotCreate(target, source.errorString());
        // An installed sample is read-only for the user; the copy is theirs.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
}

} // namespace

const QString CourseFolder::LastFolderKey = QStringLiteral("lastFolder");

CourseFolder::CourseFolder(QSettings &settings, const QString &installedSample,
                           const QString &userData)
    : m_settings(settings), m_installedSample(installedSample), m_userData(userData)
{
}

bool CourseFolder::holdsCourse(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString settings = Paths::resolve(QDir(folder).absolutePath() + QLatin1Char('/') +
                                            CodePage::toUnicode(AdminSettings::FileName));
    return QFileInfo(settings).isFile();
}

QString CourseFolder::userCopy() const
{
    return QDir(m_userData).filePath(QStringLiteral("course"));
}

CourseFolder::Choice CourseFolder::enter(const QString &argument)
{
    if (argument.isEmpty())
        return chooseWithoutArgument();
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(argument));
    Choice refused{Source::Argument, folder, QString()};
    if (!QFileInfo(folder).isDir()) {
        refused.refusal = QStringLiteral("Папка «%1» не найдена.").arg(shown(folder));
        return refused;
    }
    if (!holdsCourse(folder)) {
        refused.refusal = QStringLiteral("В папке «%1» нет учебного курса: не найден файл %2.")
                              .arg(shown(folder), CodePage::toUnicode(AdminSettings::FileName));
        return refused;
    }
    return settle(Source::Argument, folder);
}

CourseFolder::Choice CourseFolder::chooseWithoutArgument()
{
    const QString current = QDir::currentPath();
    if (holdsCourse(current))
        return settle(Source::Current, current);
    const QString last = m_settings.value(LastFolderKey).toString();
    if (holdsCourse(last))
        return settle(Source::Last, last);
    const QString copy = userCopy();
    if (holdsCourse(copy))
        return settle(Source::Sample, copy);
    if (!holdsCourse(m_installedSample)) {
        return {Source::Sample, m_installedSample,
                QStringLiteral("Учебный курс не найден: в текущей папке его нет, а образца курса "
                               "нет в папке «%1». Укажите папку курса: coursebook FOLDER.")
                    .arg(shown(m_installedSample))};
    }
    copyMissing(m_installedSample, copy);
    return settle(Source::Sample, copy);
}

CourseFolder::Choice CourseFolder::settle(Source source, const QString &folder)
{
    const QString absolute = QDir(folder).absolutePath();
    if (!QDir::setCurrent(absolute))
        return {source, absolute,
                QStringLiteral("Папку «%1» нельзя сделать рабочей.").arg(shown(absolute))};
    // The next run without a folder comes back here. A configuration that
    // cannot be written only costs that convenience.
    m_settings.setValue(LastFolderKey, absolute);
    m_settings.sync();
    return {source, absolute, QString()};
}
