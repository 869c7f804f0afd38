// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFileCheck.h"

#include "Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

// A page larger than this is not searched for links.
constexpr qint64 LinkScanLimit = 4 << 20;

QString located(const QString &target)
{
    return Paths::resolve(target.startsWith(u'\\') ? Paths::workingDirectory() + target : target);
}

QString key(const QString &path)
{
    return QDir::cleanPath(path).toLower();
}

QStringList links(const QString &path)
{
    QFile file(path);
    if (file.size() > LinkScanLimit || !file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression href(u"href\\s*=\\s*[\"']([^\"'#?]+)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList result;
    const QString text = QString::fromLatin1(file.readAll());
    for (auto it = href.globalMatch(text); it.hasNext();) {
        const QString link = it.next().captured(1).trimmed();
        if (!link.contains(u':') && !link.startsWith(u'/'))
            result.append(QFileInfo(path).dir().filePath(QString(link).replace(u'\\', u'/')));
    }
    return result;
}

} // namespace

CourseFileCheck::Report CourseFileCheck::check(const QString &folder)
{
    Report report;
    QString path;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name.compare(CourseStructure::FileName, Qt::CaseInsensitive) == 0)
            path = QDir(folder).filePath(name);
    }
    if (path.isEmpty())
        return report;
    report.present = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report.findings.append({0, true, u"файл не читается: %1"_s.arg(file.errorString())});
        return report;
    }
    if (file.size() > CourseStructure::MaxFileSize) {
        report.findings.append(
            {0, true, u"файл больше %1 байт"_s.arg(CourseStructure::MaxFileSize)});
        return report;
    }
    const CourseStructure course = CourseStructure::parse(file.readAll());
    report.findings = course.findings();
    report.entries = int(course.entries().size());
    report.tests = int(course.tests().size());
    if (QFileInfo(path).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther))
        report.findings.append(
            {0, false,
             u"группа или все могут изменить %1: студент мог бы открыть себе курс"_s.arg(
                 QFileInfo(path).fileName())});

    QHash<QString, const MenuTree::Entry *> locked;
    for (const MenuTree::Entry &entry : course.entries()) {
        if (entry.kind != MenuTree::Kind::Page && entry.kind != MenuTree::Kind::Presentation)
            continue;
        const QString local = located(entry.target);
        if (!QFileInfo(local).isFile())
            report.findings.append({entry.line, true, u"нет файла %1"_s.arg(entry.target)});
        else if (!entry.after.isEmpty())
            locked.insert(key(local), &entry);
    }
    for (const MenuTree::Entry &entry : course.entries()) {
        if (entry.kind != MenuTree::Kind::Page || !entry.after.isEmpty() ||
            !course.shownTo(entry, MenuTree::Role::Student))
            continue;
        for (const QString &link : links(located(entry.target))) {
            if (const MenuTree::Entry *target = locked.value(key(link)))
                report.findings.append(
                    {entry.line, false,
                     u"открытая сразу страница %1 ссылается на %2, закрытую до теста %3"_s.arg(
                         entry.name, target->name, target->after.join(u", "_s))});
        }
    }
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const auto &a, const auto &b) { return a.line < b.line; });
    return report;
}
