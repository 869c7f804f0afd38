// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestLog.h"

#include "AdminSettings.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "DateTimeFormat.h"
#include "FolderBounds.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"

QByteArray TestLog::line(const QByteArray &user, const QDateTime &when, const QByteArray &testName,
                         int grade)
{
    const QByteArray separator = ClassStore::FieldSeparator.toByteArray();
    return user + separator + CodePage::fromUnicode(DateTimeFormat::longTime(when.time())) +
           separator + CodePage::fromUnicode(DateTimeFormat::shortDate(when.date())) + separator +
           testName + separator + QByteArray::number(grade) + "\r\n";
}

void TestLog::append(const QByteArray &logName, const QByteArray &line)
{
    if (!AdminSettings::logNameStaysInside(logName))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(logName)));
    TextFile::append(FolderBounds::recordPath(Paths::resolve(logName)), line);
}
