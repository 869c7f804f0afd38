// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFolder.h"

#include "CodePage.h"
#include "IoError.h"
#include "Paths.h"
#include "SettingsFileName.h"
#include "ShareAddress.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <utility>

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
const QString CourseFolder::ClassFolderKey = QStringLiteral("ClassFolder");

QString CourseFolder::systemClassFolder()
{
    const QSettings system(QSettings::SystemScope, QStringLiteral("coursebook"),
                           QStringLiteral("coursebook"));
    return system.value(ClassFolderKey).toString().trimmed();
}

CourseFolder::CourseFolder(QSettings &settings, const QString &installedSample,
                           const QString &userData, const QString &classFolder)
    : m_settings(settings), m_installedSample(installedSample), m_userData(userData),
      m_classFolder(classFolder)
{
}

QString CourseFolder::problem(const QString &path, bool needCourse)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("её нет; возможно, общая папка не подключена (нет сети, сервер "
                              "выключен) или путь к ней записан неверно");
    if (!info.isDir())
        return QStringLiteral("это не папка, а файл");
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("нет прав на чтение папки; возможно, ваша учётная запись не входит "
                              "в группу класса");
    if (needCourse && !holdsCourse(path))
        return QStringLiteral("в ней нет учебного курса (не найден файл %1); возможно, общая "
                              "папка не подключена и на её месте видна пустая папка")
            .arg(QString::fromLatin1(SettingsFileName));
    return QString();
}

CourseFolder::Reach CourseFolder::reach(const QString &folder, bool needCourse,
                                        const ShareAddress::Login &login)
{
    Reach result;
    QString path = folder;
    if (ShareAddress::isAddress(folder)) {
        const ShareAddress::Mount share = ShareAddress::mount(folder, login);
        if (share.path.isEmpty()) {
            result.problem = share.problem;
            result.needsLogin = share.needsLogin;
            result.loginRefused = share.loginRefused;
            return result;
        }
        path = share.path;
    }
    result.local = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    result.problem = problem(result.local, needCourse);
    return result;
}

void CourseFolder::setShareLogin(const ShareAddress::Login &login)
{
    m_login = login;
}

bool CourseFolder::holdsCourse(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString settings = Paths::resolve(QDir(folder).absolutePath() + QLatin1Char('/') +
                                            QString::fromLatin1(SettingsFileName));
    return QFileInfo(settings).isFile();
}

QString CourseFolder::userCopy() const
{
    return QDir(m_userData).filePath(QStringLiteral("course"));
}

CourseFolder::Choice CourseFolder::enter(const QString &argument)
{
    // The password serves this one try and is not kept.
    const ShareAddress::Login login = std::exchange(m_login, ShareAddress::Login());
    if (argument.isEmpty())
        return chooseWithoutArgument(login);
    QString folder = argument;
    if (ShareAddress::isAddress(argument)) {
        const ShareAddress::Mount share = ShareAddress::mount(argument, login);
        if (share.path.isEmpty()) {
            Choice refused{
                Source::Argument, argument,
                QStringLiteral("Папка «%1» недоступна: %2.").arg(argument, share.problem)};
            refused.needsLogin = share.needsLogin;
            refused.loginRefused = share.loginRefused;
            return refused;
        }
        folder = share.path;
    }
    folder = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    Choice refused{Source::Argument, folder, QString()};
    if (!QFileInfo(folder).isDir()) {
        refused.refusal = QStringLiteral("Папка «%1» не найдена.").arg(shown(folder));
        return refused;
    }
    if (!holdsCourse(folder)) {
        refused.refusal = QStringLiteral("В папке «%1» нет учебного курса: не найден файл %2.")
                              .arg(shown(folder), QString::fromLatin1(SettingsFileName));
        return refused;
    }
    // An address is remembered as given: the local path GVFS gives holds
    // only while the share stays mounted.
    return settle(Source::Argument, folder, true,
                  ShareAddress::isAddress(argument) ? argument : QString());
}

CourseFolder::Choice CourseFolder::chooseWithoutArgument(const ShareAddress::Login &login)
{
    if (!m_classFolder.isEmpty()) {
        const Reach folder = reach(m_classFolder, true, login);
        // An address is remembered as such, as for a folder given.
        if (folder.problem.isEmpty())
            return settle(Source::ClassFolder, folder.local, true,
                          ShareAddress::isAddress(m_classFolder) ? m_classFolder : QString());
        Choice refused{Source::ClassFolder, m_classFolder,
                       QStringLiteral("Папка класса «%1» недоступна: %2. Без неё оценки не "
                                      "попадут к преподавателю. Когда папка будет доступна, "
                                      "нажмите «Повторить».")
                           .arg(shown(m_classFolder), folder.problem)};
        refused.canRetry = true;
        refused.needsLogin = folder.needsLogin;
        refused.loginRefused = folder.loginRefused;
        return refused;
    }
    const QString current = QDir::currentPath();
    if (holdsCourse(current))
        return settle(Source::Current, current);
    const QString last = m_settings.value(LastFolderKey).toString();
    if (!last.isEmpty()) {
        const Reach folder = reach(last, true, login);
        if (folder.problem.isEmpty())
            return settle(Source::Last, folder.local, true,
                          ShareAddress::isAddress(last) ? last : QString());
        Choice refused{Source::Last, last,
                       QStringLiteral("Папка курса прошлого запуска «%1» недоступна: %2. "
                                      "Когда папка будет доступна, нажмите «Повторить». Можно "
                                      "открыть и свою копию образца курса: оценки в ней "
                                      "остаются на этом компьютере, преподаватель их не "
                                      "увидит.")
                           .arg(shown(last), folder.problem)};
        refused.canRetry = true;
        refused.sampleOffered = true;
        refused.needsLogin = folder.needsLogin;
        refused.loginRefused = folder.loginRefused;
        return refused;
    }
    return sample(true);
}

CourseFolder::Choice CourseFolder::enterSample()
{
    // The last folder stays the one refused: the next start tries it again
    // rather than going on in the copy unasked.
    return sample(false);
}

CourseFolder::Choice CourseFolder::sample(bool remember)
{
    const QString copy = userCopy();
    if (holdsCourse(copy))
        return settle(Source::Sample, copy, remember);
    if (!holdsCourse(m_installedSample)) {
        return {Source::Sample, m_installedSample,
                QStringLiteral("Учебный курс не найден: в текущей папке его нет, а образца курса "
                               "нет в папке «%1». Укажите папку курса: coursebook FOLDER.")
                    .arg(shown(m_installedSample))};
    }
    copyMissing(m_installedSample, copy);
    return settle(Source::Sample, copy, remember);
}

CourseFolder::Choice CourseFolder::settle(Source source, const QString &folder, bool remember,
                                          const QString &address)
{
    const QString absolute = QDir(folder).absolutePath();
    if (!QDir::setCurrent(absolute))
        return {source, absolute,
                QStringLiteral("Папку «%1» нельзя сделать рабочей.").arg(shown(absolute))};
    // The next run without a folder comes back here. A configuration that
    // cannot be written only costs that convenience.
    if (remember) {
        m_settings.setValue(LastFolderKey, address.isEmpty() ? absolute : address);
        m_settings.sync();
    }
    return {source, absolute, QString()};
}
