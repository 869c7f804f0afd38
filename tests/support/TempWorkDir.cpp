// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempWorkDir::TempWorkDir() : m_previous(QDir::currentPath())
{
    if (m_dir.isValid())
        m_current = QDir::setCurrent(m_dir.path());
}

TempWorkDir::~TempWorkDir()
{
    QDir::setCurrent(m_previous);
}

bool TempWorkDir::write(const QString &name, const QByteArray &bytes) const
{
    return writeFile(filePath(name), bytes);
}

bool TempWorkDir::writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray TempWorkDir::read(const QString &name) const
{
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool TempWorkDir::mkpath(const QString &name) const
{
    return QDir(m_dir.path()).mkpath(name);
}
