// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserRecords.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "FileLock.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QByteArrayView FieldSeparator = ClassStore::FieldSeparator;

// Where the user of a line ends: before the separator that has `after`
// separators behind it; -1 when the line has too few.
qsizetype userEnd(const QByteArray &line, int after)
{
    qsizetype at = line.size();
    for (int i = 0; i < after; ++i) {
        at = at - 1 < 0 ? -1 : line.lastIndexOf(FieldSeparator, at - 1);
        if (at < 0)
            return -1;
    }
    return at;
}

} // namespace

QByteArray UserRecords::answerRecordName(const QByteArray &logName)
{
    return besideLog(logName, "answers");
}

QByteArray UserRecords::besideLog(const QByteArray &logName, const QByteArray &word)
{
    const qsizetype component = std::max(logName.lastIndexOf('\\'), logName.lastIndexOf('/')) + 1;
    const qsizetype dot = logName.lastIndexOf('.');
    // A dot that begins the name starts no extension.
    if (dot <= component)
        return logName + '-' + word;
    return logName.first(dot) + '-' + word + logName.sliced(dot);
}

QByteArray UserRecords::renamed(const QByteArray &text, const QByteArray &from,
                                const QByteArray &to, int fieldsAfterUser, int *changed)
{
    QByteArray out;
    out.reserve(text.size());
    int count = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArray line = text.mid(start, end - start);
        const qsizetype cut = userEnd(line, fieldsAfterUser);
        if (cut >= 0 && CodePage::equalsIgnoreCase(line.left(cut), from)) {
            out += to + line.mid(cut);
            ++count;
        } else {
            out += line;
        }
        qsizetype next = end;
        if (next < text.size() && text[next] == '\r')
            ++next;
        if (next < text.size() && text[next] == '\n' && (next == end || text[end] == '\r'))
            ++next;
        out += text.mid(end, next - end);
        start = next;
    }
    if (changed)
        *changed = count;
    return out;
}

UserRecords::Renaming UserRecords::rename(const QByteArray &logName, const QByteArray &from,
                                          const QByteArray &to)
{
    Renaming result;
    const auto renameIn = [&](const QByteArray &name, int fields, int *changed) {
        const QString path = Paths::resolve(name);
        const FileLock lock(path);
        if (!QFileInfo::exists(path))
            return;
        const QByteArray before = TextFile::read(path);
        const QByteArray after = renamed(before, from, to, fields, changed);
        if (*changed > 0)
            TextFile::replace(path, after);
    };
    if (logName.isEmpty())
        return result;
    renameIn(logName, LogFieldsAfterUser, &result.logLines);
    renameIn(answerRecordName(logName), AnswerFieldsAfterUser, &result.answerLines);
    return result;
}

void UserRecords::checkReadable(const QByteArray &logName)
{
    if (logName.isEmpty())
        return;
    for (const QByteArray &name : {logName, answerRecordName(logName)}) {
        const QString path = Paths::resolve(name);
        if (!QFileInfo::exists(path))
            continue;
        try {
            TextFile::read(path);
        } catch (const RuntimeError &e) {
            throw RuntimeError(QStringLiteral("«%1» не прочитан (%2); ничего не переименовано")
                                   .arg(Paths::display(path), e.message()));
        }
    }
}

bool UserRecords::canRename(const QByteArray &logName, QString *refused)
{
    if (logName.isEmpty())
        return true;
    for (const QByteArray &name : {logName, answerRecordName(logName)}) {
        const QString path = Paths::resolve(name);
        if (QFileInfo::exists(path) && !TextFile::canReplace(path)) {
            if (refused)
                *refused = Paths::display(path);
            return false;
        }
    }
    return true;
}
