// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminLogin.h"

#include "CodePage.h"
#include "FolderStore.h"
#include "IoError.h"
#include "PasswordPrompt.h"
#include "RuntimeError.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const QString AdminLogin::Option = QStringLiteral("--admin-login");

namespace {

struct State
{
    QString command;
    QString file;
    bool required = false;
    bool checked = false;
};

State &state()
{
    static State s;
    return s;
}

// A command enters its class folder before it reads the login, so a name
// given relative to where the user typed it is fixed while that is current.
QString fromHere(const QString &file)
{
    return file.isEmpty() ? file : QFileInfo(file).absoluteFilePath();
}

RuntimeError refused(const QString &why)
{
    return RuntimeError(QStringLiteral("команда %1 выполняется только после входа "
                                       "администратора: %2")
                            .arg(state().command, why));
}

// The login file's two lines; the file must be a plain one that only its
// owner can read, or its password is everybody's.
QStringList readLoginFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw refused(QStringLiteral("файл входа %1 не открыт (%2)")
                          .arg(QDir::toNativeSeparators(path), IoError::reason(errno)));
    struct stat info;
    const bool plain = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!plain)
        throw refused(QStringLiteral("%1 — не обычный файл").arg(QDir::toNativeSeparators(path)));
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        throw refused(QStringLiteral("файл входа %1 могут читать другие (права %2); "
                                     "оставьте его только себе: chmod 600 %1")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(QString::number(info.st_mode & 0777, 8)));
    const QByteArray bytes = TextFile::read(QFileInfo(path).absoluteFilePath());
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (lines.size() < 2)
        throw refused(QStringLiteral("в файле входа %1 нет двух строк: имени и пароля")
                          .arg(QDir::toNativeSeparators(path)));
    return lines.mid(0, 2);
}

// The class folder whose settings decide: the current one, or the class
// folder of a test file's folder; empty when none holds settings.
QString settingsFolder()
{
    QDir folder = QDir::current();
    for (int up = 0; up < 3; ++up) {
        const QString path = folder.filePath(QStringLiteral("data/info/tumb.db"));
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            return folder.path();
        if (!folder.cdUp())
            break;
    }
    return QString();
}

} // namespace

void AdminLogin::takeOption(QStringList *args)
{
    for (qsizetype i = 0; i < args->size(); ++i) {
        const QString &arg = args->at(i);
        if (arg == QLatin1String("--"))
            return;
        if (arg.startsWith(Option + QLatin1Char('='))) {
            state().file = fromHere(arg.mid(Option.size() + 1));
            args->removeAt(i--);
        } else if (arg == Option) {
            if (i + 1 >= args->size())
                throw RuntimeError(QStringLiteral("после %1 нужно имя файла с именем и паролем "
                                                  "администратора")
                                       .arg(Option));
            state().file = fromHere(args->at(i + 1));
            args->remove(i, 2);
            --i;
        }
    }
}

void AdminLogin::setFile(const QString &file)
{
    state().file = fromHere(file);
}

void AdminLogin::require(const QString &command)
{
    state().command = command;
    state().required = true;
}

QStringList AdminLogin::typed()
{
    const State &s = state();
    if (!s.file.isEmpty())
        return readLoginFile(s.file);
    if (PasswordPrompt::fromTerminal())
        return {PasswordPrompt::typedOnce(QStringLiteral("Логин администратора: "), true),
                PasswordPrompt::typedOnce(QStringLiteral("Пароль администратора: "), false)};
    throw refused(QStringLiteral("введите логин и пароль с терминала или укажите файл с "
                                 "ними: %1 ФАЙЛ")
                      .arg(Option));
}

void AdminLogin::checkWith(const std::function<bool(const QString &, const QString &)> &matches)
{
    State &s = state();
    if (!s.required || s.checked)
        return;
    const QStringList typed = AdminLogin::typed();
    if (!matches(typed.at(0), typed.at(1)))
        throw refused(QStringLiteral("неверный логин или пароль администратора"));
    s.checked = true;
}

void AdminLogin::check()
{
    State &s = state();
    if (!s.required || s.checked)
        return;
    const QString folder = settingsFolder();
    if (folder.isEmpty())
        return;
    ClassSettings settings;
    QString file;
    {
        // The store works in its folder; a command run in a test's folder
        // goes on there.
        const QString here = QDir::currentPath();
        const FolderStore store(folder);
        try {
            settings = store.settings();
            file = QDir(folder).absoluteFilePath(store.settingsFile());
        } catch (const RuntimeError &e) {
            QDir::setCurrent(here);
            throw refused(
                QStringLiteral("настройки администратора не прочитаны (%1)").arg(e.message()));
        }
        QDir::setCurrent(here);
    }
    if (settings.login.isEmpty())
        throw refused(QStringLiteral("в файле настроек %1 не задан логин администратора")
                          .arg(QDir::toNativeSeparators(file)));
    const QStringList typed = AdminLogin::typed();
    if (!CodePage::canSpell(typed[0]) || !CodePage::canSpell(typed[1]) ||
        CodePage::fromUnicode(typed[0]) != settings.login ||
        CodePage::fromUnicode(typed[1]) != settings.password)
        throw refused(QStringLiteral("неверный логин или пароль администратора"));
    s.checked = true;
}
