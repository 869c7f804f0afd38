// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdminSettings.h"

#include "CodePage.h"
#include "FolderBounds.h"
#include "Paths.h"
#include "SettingsFileName.h"
#include "TextFile.h"

const QByteArray AdminSettings::FileName(SettingsFileName);

AdminSettings AdminSettings::parse(const QByteArray &line)
{
    AdminSettings s;
    QByteArray *fields[] = {&s.login, &s.password, &s.logName};
    int field = 0;
    for (char c : line) {
        if (c == '|') {
            if (++field > 2)
                break;
            continue;
        }
        fields[field]->append(c);
    }
    return s;
}

QByteArray AdminSettings::line() const
{
    return login + '|' + password + '|' + logName;
}

bool AdminSettings::logNameStaysInside(const QByteArray &logName)
{
    return FolderBounds::isInside(Paths::resolve(logName));
}

QByteArray AdminSettings::logNameOutsideText(const QByteArray &logName)
{
    return CodePage::fromUnicode(QStringLiteral("Файл протокола тестирования «")) + logName +
           CodePage::fromUnicode(QStringLiteral(
               "» лежит за пределами папки курса. Укажите имя файла внутри папки курса."));
}

AdminSettings AdminSettings::read()
{
    const QByteArray data = TextFile::read(Paths::resolve(FileName));
    qsizetype end = 0;
    while (end < data.size() && data[end] != '\r' && data[end] != '\n' && data[end] != '\x1a')
        ++end;
    return parse(data.left(end));
}

void AdminSettings::write() const
{
    TextFile::replace(FolderBounds::recordPath(Paths::resolve(FileName)), line() + "\r\n");
}
