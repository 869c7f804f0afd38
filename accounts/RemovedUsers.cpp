// SPDX-License-Identifier: GPL-3.0-or-later
#include "RemovedUsers.h"

#include "Accounts.h"
#include "CodePage.h"
#include "FolderBounds.h"
#include "IniSnapshot.h"
#include "IntegerText.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "SectionText.h"
#include "Store.h"
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

QList<int> RemovedUsers::gradesOf(const QByteArray &section)
{
    const IniSnapshot snapshot(section);
    const QByteArray name = SectionText::all(section).value(0).name;
    QList<int> grades;
    for (int k = 1; k <= 10; ++k) {
        const QByteArray stored =
            Store::crypt(snapshot.read(name, Accounts::testKey(k), Store::MissingMarker));
        int grade = 0;
        try {
            grade = stored == Store::missing() ? 0 : IntegerText::parse(stored) & 0xFF;
        } catch (const RuntimeError &) {
            grade = 0;
        }
        grades.append(grade);
    }
    return grades;
}

QList<RemovedUsers::Kept> RemovedUsers::allKept(const QByteArray &name)
{
    return keptIn(readIfThere(Paths::resolve(FileName)), name);
}

QList<RemovedUsers::Kept> RemovedUsers::keptIn(const QByteArray &kept, const QByteArray &name)
{
    const QByteArray prefix = "; " + CodePage::fromUnicode(QStringLiteral("удалён "));
    QList<Kept> found;
    qsizetype previousEnd = 0;
    for (const SectionText::Span &span : SectionText::all(kept)) {
        const qsizetype from = previousEnd;
        previousEnd = span.end;
        if (CodePage::fold(span.name) != CodePage::fold(name))
            continue;
        Kept k;
        k.section = kept.mid(span.begin, span.end - span.begin);
        k.grades = gradesOf(k.section);
        // The comment keep() wrote stands between the previous section and
        // this one.
        for (const QByteArray &line : kept.mid(from, span.begin - from).split('\n')) {
            if (line.startsWith(prefix))
                k.removed =
                    QDateTime::fromString(QString::fromLatin1(line.mid(prefix.size()).trimmed()),
                                          QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        found.append(k);
    }
    return found;
}

QByteArray RemovedUsers::Kept::removedText() const
{
    return removed.isValid() ? removed.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1()
                             : QByteArray("?");
}
