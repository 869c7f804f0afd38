// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder made the current directory for one test, the way
// the program runs in its installation folder; the previous directory comes
// back when the object goes.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();

    TempWorkDir(const TempWorkDir &) = delete;
    TempWorkDir &operator=(const TempWorkDir &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // Whether the folder did become the current directory.
    bool isCurrent() const { return m_current; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Writes a file below the folder, making its folders; false on failure.
    bool write(const QString &name, const QByteArray &bytes) const;
    // The same for a file anywhere.
    static bool writeFile(const QString &path, const QByteArray &bytes);
    // The file's bytes, or "<missing>" when it cannot be read.
    QByteArray read(const QString &name) const;
    bool mkpath(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
    bool m_current = false;
};
