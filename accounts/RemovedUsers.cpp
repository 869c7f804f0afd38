// SPDX-License-Identifier: GPL-3.0-or-later
#include "RemovedUsers.h"

#include "Accounts.h"
#include "CodePage.h"
#include "FolderBounds.h"
#include "Paths.h"
#include "SectionText.h"
#include "TextFile.h"

#include <QFileInfo>

const QByteArray RemovedUsers::FileName = QByteArrayLiteral("\\removed-users.ini");

namespace {

QByteArray readIfThere(const QString &path)
{
    return QFileInfo::exists(path) ? TextFile::read(path) : QByteArray();
}

} // namespace

void RemovedUsers::keep(const QByteArray &name, const QDateTime &when)
{
    const QByteArray users = readIfThere(Paths::resolve(Accounts::UsersIni));
    const SectionText::Span span = SectionText::first(users, name);
    if (!span.found())
        return;
    const QByteArray comment = "; " + CodePage::fromUnicode(QStringLiteral("удалён ")) +
                               when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() +
                               "\r\n";
    const QString path = FolderBounds::recordPath(Paths::resolve(FileName));
    const QByteArray before = readIfThere(path);
    const QByteArray start = before.isEmpty() || before.endsWith('\n') ? QByteArray() : "\r\n";
    TextFile::append(
        path, SectionText::appended(start + comment, users.mid(span.begin, span.end - span.begin)));
}

QByteArray RemovedUsers::lastKept(const QByteArray &name)
{
    const QByteArray kept = readIfThere(Paths::resolve(FileName));
    const SectionText::Span span = SectionText::last(kept, name);
    return span.found() ? kept.mid(span.begin, span.end - span.begin) : QByteArray();
}
