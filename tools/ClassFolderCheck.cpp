// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassFolderCheck.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CourseStructure.h"
#include "FileRead.h"
#include "FolderAccess.h"
#include "GroupShare.h"
#include "LeftLocks.h"
#include "RuntimeError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString modeText(const struct stat &info)
{
    return QStringLiteral("права %1, владелец %2, группа %3")
        .arg(QString::number(info.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')))
        .arg(info.st_uid)
        .arg(info.st_gid);
}

bool isInside(const QString &folder, const QString &path)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty()) {
        // Not there yet: judged by the folder it would be made in.
        target = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    }
    return !target.isEmpty() && (target == root || target.startsWith(root + QLatin1Char('/')));
}

// The mount a path lies on, 0 where the system cannot tell.
quint64 mountOf(const QString &path)
{
    struct statx info;
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_MNT_ID, &info) != 0 ||
        !(info.stx_mask & STATX_MNT_ID))
        return 0;
    return info.stx_mnt_id;
}

class Checker
{
public:
    Checker(ClassStore &store, const FolderAccess &folder)
        : m_store(store), m_access(folder), m_folder(QFileInfo(folder.folder()).absoluteFilePath()),
          m_shared(GroupShare::isShared(folder.folder()))
    {
        struct stat info;
        if (::stat(QFile::encodeName(m_folder).constData(), &info) == 0)
            m_group = info.st_gid;
    }

    ClassFolderCheck::Result run()
    {
        if (m_shared)
            m_result.note =
                QStringLiteral("Папка открыта для записи группе %1: права проверены для "
                               "всех учётных записей группы.")
                    .arg(m_group);
        else
            m_result.note =
                QStringLiteral("Папка не открыта для записи группе: она готова, когда ученики "
                               "работают под одной учётной записью или права решает сервер "
                               "общей папки; права проверены для учётной записи %1.")
                    .arg(::geteuid());
        m_result.note += QStringLiteral(" Пароль администратора в %1 и ответы тестов в "
                                        "data/tests читает каждый, кто читает папку класса; "
                                        "их закрывает только сервер результатов.")
                             .arg(shown(QDir(m_folder).relativeFilePath(m_access.settingsFile())));
        if (m_shared)
            checkAccountInGroup();
        checkWritableFolder(m_folder);
        checkDataFolder();
        checkCourseFiles();
        checkLocks();
        checkLinks();
        checkSpace();
        return m_result;
    }

private:
    void add(const QString &finding) { m_result.findings.append(finding); }

    // The teacher's account writes the students' records too (registering,
    // renaming, restoring); outside the class's group it cannot, and every
    // such command would fail at its first write.
    void checkAccountInGroup()
    {
        if (::geteuid() == 0 || ::getegid() == m_group)
            return;
        QList<gid_t> groups(std::max(0, ::getgroups(0, nullptr)));
        if (::getgroups(int(groups.size()), groups.data()) >= 0 && groups.contains(m_group))
            return;
        const struct passwd *user = ::getpwuid(::geteuid());
        const struct group *group = ::getgrgid(m_group);
        const QString account =
            user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::geteuid());
        const QString name =
            group ? QString::fromLocal8Bit(group->gr_name) : QString::number(m_group);
        add(QStringLiteral("«%1»: учётная запись %2, под которой запущена проверка, не состоит в "
                           "группе класса %3: её команды не смогут записать записи учеников "
                           "(users.ini, users, журнал). Добавьте её: usermod -aG %3 %2, затем "
                           "войдите в систему заново.")
                .arg(shown(m_folder), account, name));
    }

    // A folder where students' copies make files and locks.
    void checkWritableFolder(const QString &folder)
    {
        struct stat info;
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
            return;
        if (m_shared ? (info.st_mode & (S_IWGRP | S_IXGRP)) != (S_IWGRP | S_IXGRP) ||
                           info.st_gid != m_group
                     : ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
            add(QStringLiteral("«%1»: ученики не могут создавать в папке файлы (%2).")
                    .arg(shown(folder), modeText(info)));
    }

    // A record every student's copy writes (write) or only reads.
    void checkRecord(const QString &path, bool write)
    {
        struct stat info;
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            return;
        if (const QString refused = FileRead::refusal(path); !refused.isEmpty()) {
            add(refused);
            return;
        }
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
            add(QStringLiteral("«%1»: на месте файла не файл.").arg(shown(path)));
            return;
        }
        bool fine = true;
        if (m_shared) {
            const mode_t need = write ? S_IRGRP | S_IWGRP : S_IRGRP;
            fine = (info.st_mode & need) == need && (info.st_gid == m_group || !write);
            if (!write && !(info.st_mode & S_IROTH) && info.st_gid != m_group)
                fine = false;
        } else {
            fine = ::access(QFile::encodeName(path).constData(), write ? R_OK | W_OK : R_OK) == 0;
        }
        if (!fine)
            add((write ? QStringLiteral("«%1»: класс не может читать и записывать файл (%2); "
                                        "исправьте: chgrp %3 и chmod g+rw.")
                       : QStringLiteral("«%1»: класс не может читать файл (%2)."))
                    .arg(shown(path), modeText(info))
                    .arg(m_group));
    }

    void checkCourseFiles()
    {
        const QString settingsPath = m_access.settingsFile();
        ClassSettings settings;
        bool settingsRead = false;
        if (!QFileInfo::exists(settingsPath)) {
            add(QStringLiteral("«%1»: нет файла настроек администратора; без него в папке нет "
                               "курса.")
                    .arg(shown(settingsPath)));
        } else {
            checkRecord(settingsPath, false);
            // A file refused at once is named above, and not read.
            if (FileRead::refusal(settingsPath).isEmpty()) {
                try {
                    settings = m_store.readSettings();
                    settingsRead = true;
                } catch (const RuntimeError &e) {
                    add(QStringLiteral("«%1»: не читается (%2).")
                            .arg(shown(settingsPath), e.message()));
                }
            }
        }
        const QStringList records = m_access.recordFiles();
        const QString list = records.at(1);
        if (!QFileInfo::exists(list))
            add(QStringLiteral("«%1»: нет списка пользователей; программа при запуске сообщит об "
                               "ошибке. Создайте пустой файл.")
                    .arg(shown(list)));
        checkRecord(list, true);
        checkRecord(records.at(0), true);
        if (settingsRead)
            checkLog(settings.logName);
        // The course's tests; a course file with errors shows none, and says so.
        const CourseStructure course = CourseStructure::load(m_folder);
        if (course.broken())
            add(QStringLiteral("«%1»: ошибки в файле курса, программа покажет только «Помощь» и "
                               "«Выход»; %2coursebook-admin course check.")
                    .arg(shown(QDir(m_folder).filePath(CourseStructure::FileName)),
                         course.findingsText().section(QLatin1Char('\n'), 0, 0) +
                             QStringLiteral("; все ошибки: ")));
        for (const MenuTree::Entry *entry : course.tests()) {
            const QByteArray name = entry->name.toLatin1();
            const QString test = m_access.testFile(name);
            if (QFileInfo::exists(test)) {
                checkRecord(test, false);
                continue;
            }
            const QString source = m_access.resolve("sources\\" + name + ".txt");
            add(QFileInfo::exists(source)
                    ? QStringLiteral("«%1»: тест не зашифрован; coursebook-admin convert %2 %3 "
                                     "--into data/tests")
                          .arg(shown(test), shown(source), QString::fromLatin1(name))
                    : QStringLiteral("«%1»: нет файла теста.").arg(shown(test)));
        }
    }

    // Students who can rename data/ can put a course of their own in its
    // place, with its own settings, tests and start page: the class folder
    // must not let them (data/ a mount point, which no rename moves, or a
    // sticky class folder), and the answer keys' sources must not lie in it.
    void checkDataFolder()
    {
        const QString data = QDir(m_folder).filePath(QStringLiteral("data"));
        struct stat folder;
        if (m_shared && ::stat(QFile::encodeName(m_folder).constData(), &folder) == 0 &&
            (folder.st_mode & S_IWGRP) && !(folder.st_mode & S_ISVTX) && QFileInfo(data).isDir() &&
            mountOf(data) == mountOf(m_folder))
            add(QStringLiteral("«%1»: ученики группы %2 могут переименовать папку и положить "
                               "на её место свою, с другими настройками и тестами; смонтируйте "
                               "на её место копию преподавателя только для чтения: mount --bind "
                               "КОПИЯ %1; mount -o remount,bind,ro %1 (coursebook(1), «Папка, "
                               "общая для группы»).")
                    .arg(shown(data))
                    .arg(m_group));
        const QString sources = QDir(m_folder).filePath(QStringLiteral("sources"));
        if (!QDir(sources).isEmpty(QDir::Files | QDir::Hidden | QDir::System))
            add(QStringLiteral("«%1»: исходные тексты тестов с ответами лежат в папке класса, "
                               "где их читает каждый ученик; храните их вне её.")
                    .arg(shown(sources)));
    }

    void checkLog(const QByteArray &logName)
    {
        if (logName.isEmpty()) {
            add(QStringLiteral("«%1»: не задано имя журнала тестирования.")
                    .arg(shown(m_access.settingsFile())));
            return;
        }
        const QString log = m_access.logFile();
        if (!isInside(m_folder, log)) {
            add(QStringLiteral("«%1»: журнал тестирования вне папки класса; в нём окажутся "
                               "записи учеников с других путей, и учитель их не увидит.")
                    .arg(shown(log)));
            return;
        }
        checkWritableFolder(QFileInfo(log).absolutePath());
        checkRecord(log, true);
        checkRecord(m_access.answerFile(), true);
    }

    void checkLocks()
    {
        for (const LeftLocks::Entry &entry : LeftLocks::find(m_folder))
            add(QStringLiteral("«%1»: оставлен (%2); убирает команда coursebook-admin unlock "
                               "--force.")
                    .arg(shown(entry.path), entry.words));
    }

    void checkLinks()
    {
        QDirIterator it(m_folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry(it.nextFileInfo());
            if (!entry.isSymLink())
                continue;
            const QString target = entry.symLinkTarget();
            if (!isInside(m_folder, entry.absoluteFilePath()) ||
                !isInside(m_folder, QFileInfo(target).absoluteFilePath()))
                add(QStringLiteral("«%1»: ссылка ведёт за пределы папки класса, на «%2».")
                        .arg(shown(entry.absoluteFilePath()), shown(target)));
        }
    }

    void checkSpace()
    {
        const QStorageInfo storage(m_folder);
        if (storage.isValid() && storage.bytesAvailable() >= 0 &&
            storage.bytesAvailable() < ClassFolderCheck::LowSpaceBytes)
            add(QStringLiteral("«%1»: мало свободного места: %2 КБ.")
                    .arg(shown(m_folder))
                    .arg(storage.bytesAvailable() / 1024));
    }

    ClassStore &m_store;
    const FolderAccess &m_access;
    QString m_folder;
    bool m_shared = false;
    gid_t m_group = 0;
    ClassFolderCheck::Result m_result;
};

} // namespace

ClassFolderCheck::Result ClassFolderCheck::run(ClassStore &store, const FolderAccess &folder)
{
    return Checker(store, folder).run();
}
