// SPDX-License-Identifier: GPL-3.0-or-later
#include "IoError.h"

#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

QString IoError::russianFirst(const QString &message)
{
    const qsizetype end = message.indexOf(u'\n');
    const QString first = end < 0 ? message : message.left(end);
    const QString rest = end < 0 ? QString() : message.mid(end);
    static const struct
    {
        const char *pattern;
        const char16_t *russian;
    } words[] = {
        {"^Unable to write to (.+)$",
         u"Не удалось записать файл %1: нет прав на запись в него или в его папку (учётная "
         u"запись в группе папки класса?)"},
        {"^Cannot open file \"(.+)\"\\. (.*)$", u"Не удалось открыть файл %1: %2"},
        {"^Cannot create file \"(.+)\"\\. (.*)$", u"Не удалось создать файл %1: %2"},
        {"^File not found$", u"Файл не найден"},
        {"^Path not found$", u"Папка не найдена"},
        {"^File access denied$", u"Нет доступа к файлу"},
        {"^Too many open files$", u"Открыто слишком много файлов"},
        {"^Disk full$", u"Диск заполнен"},
        {"^I/O error (.+)$", u"Ошибка ввода-вывода %1"},
    };
    for (const auto &w : words) {
        const QRegularExpressionMatch m =
            QRegularExpression(QString::fromLatin1(w.pattern)).match(first);
        if (!m.hasMatch())
            continue;
        QString russian = QString::fromUtf16(w.russian);
        for (int i = 1; i <= m.lastCapturedIndex(); ++i)
            russian = russian.arg(m.captured(i));
        return russian + QStringLiteral(" (") + first + u')' + rest;
    }
    return message;
}
