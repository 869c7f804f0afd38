// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseStructure.h"

#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

const QString CourseStructure::FileName = u"course.ini"_s;

namespace {

const QByteArray ByteOrderMark("\xEF\xBB\xBF");

// As question sources are told apart: a byte-order mark, or valid UTF-8 with
// at least one multi-byte sequence, is UTF-8; anything else is Windows-1251.
QString decoded(const QByteArray &raw)
{
    if (raw.startsWith(ByteOrderMark))
        return QString::fromUtf8(raw.mid(ByteOrderMark.size()));
    bool multiByte = false;
    for (const char c : raw) {
        if (uchar(c) >= 0x80) {
            multiByte = true;
            break;
        }
    }
    if (multiByte) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(raw);
        if (!utf8.hasError())
            return text;
    }
    return CodePage::toUnicode(raw);
}

struct Token
{
    QString text;
    bool quoted = false; // the whole token was one quoted string
};

// Blank-separated tokens; a double-quoted part keeps its blanks and "" stands
// for a quote inside it. Returns false for a quote left open.
bool tokens(const QString &line, QList<Token> &out)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && (line[i] == u' ' || line[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        Token token;
        token.quoted = line[i] == u'"';
        while (i < n && line[i] != u' ' && line[i] != u'\t') {
            if (line[i] != u'"') {
                token.text += line[i++];
                token.quoted = false;
                continue;
            }
            ++i;
            for (;;) {
                if (i >= n)
                    return false;
                if (line[i] == u'"') {
                    if (i + 1 < n && line[i + 1] == u'"') {
                        token.text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                token.text += line[i++];
            }
            if (i < n && line[i] != u' ' && line[i] != u'\t')
                token.quoted = false;
        }
        out.append(token);
    }
    return true;
}

QString quotedText(const QString &text)
{
    QString q = text;
    q.replace(u"\""_s, u"\"\""_s);
    return u'"' + q + u'"';
}

QString targetText(const QString &text)
{
    return text.contains(u' ') || text.contains(u'\t') || text.contains(u'"') || text.isEmpty()
               ? quotedText(text)
               : text;
}

const QStringList KindWords = {u"group"_s, u"page"_s, u"show"_s, u"test"_s, u"command"_s};
const QStringList RoleWords = {u"guest"_s, u"student"_s, u"admin"_s};

} // namespace

const QStringList &CourseStructure::operations()
{
    static const QStringList list = {u"login"_s,      u"exit"_s,        u"back"_s, u"about"_s,
                                     u"author"_s,     u"progress"_s,    u"log"_s,  u"settings"_s,
                                     u"edit-tests"_s, u"class-report"_s};
    return list;
}

QString CourseStructure::roleName(Role role)
{
    return RoleWords.at(int(role));
}

int CourseStructure::testNumber(const QString &name)
{
    static const QRegularExpression pattern(u"^test([1-9][0-9]?)$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return 0;
    const int k = match.captured(1).toInt();
    return k <= MaxTests ? k : 0;
}

bool CourseStructure::numberedCaption(int test, const QString &caption)
{
    return caption == u"Тест №%1"_s.arg(test);
}

QString CourseStructure::testMark(int test, const QString &caption)
{
    // A broken course's tests are captioned by the records' names.
    if (caption.isEmpty() || numberedCaption(test, caption) ||
        caption.compare(u"test%1"_s.arg(test), Qt::CaseInsensitive) == 0)
        return QString::number(test);
    return u"«%1»"_s.arg(caption);
}

QString CourseStructure::testMark(int test) const
{
    for (const Entry *entry : tests()) {
        if (testNumber(entry->name) == test)
            return testMark(test, entry->label);
    }
    return QString::number(test);
}

bool CourseStructure::insideFolder(const QString &path)
{
    if (path.isEmpty() || path.contains(u':') || path.startsWith(u"\\\\"_s) ||
        path.startsWith(u"//"_s))
        return false;
    QString unified = path;
    unified.replace(u'\\', u'/');
    const QStringList parts = unified.split(u'/', Qt::SkipEmptyParts);
    return !parts.isEmpty() && !parts.contains(u".."_s);
}

void CourseStructure::addFinding(int line, bool error, const QString &text)
{
    m_findings.append({line, error, text});
}

bool CourseStructure::hasErrors() const
{
    for (const Finding &finding : m_findings) {
        if (finding.error)
            return true;
    }
    return false;
}

CourseStructure CourseStructure::parse(const QByteArray &raw)
{
    CourseStructure course;
    const QString text = decoded(raw);
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        course.parseLine(line, int(i + 1));
    }
    course.checkReferences();
    course.m_open.clear();
    // Without a start page the course opens on its first page.
    for (qsizetype i = 0; course.m_start.isEmpty() && i < course.m_entries.size(); ++i) {
        if (course.m_entries.at(i).kind == Kind::Page)
            course.m_start = course.m_entries.at(i).target;
    }
    return course;
}

void CourseStructure::parseLine(const QString &line, int number)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return;
    if (trimmed.startsWith(u'[')) {
        if (!trimmed.endsWith(u']')) {
            addFinding(number, true, u"раздел без закрывающей скобки: %1"_s.arg(trimmed));
            m_section = Section::Other;
            return;
        }
        const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed().toLower();
        if (name == u"course"_s) {
            m_section = Section::Course;
        } else if (name == u"menu"_s) {
            m_section = Section::Menu;
        } else {
            addFinding(number, false, u"неизвестный раздел [%1] пропущен"_s.arg(name));
            m_section = Section::Other;
        }
        return;
    }
    switch (m_section) {
    case Section::None:
        addFinding(number, true, u"строка вне разделов [course] и [menu]"_s);
        return;
    case Section::Other:
        return;
    case Section::Course:
        parseCourseKey(trimmed, number);
        return;
    case Section::Menu:
        parseEntry(line, number);
        return;
    }
}

void CourseStructure::parseCourseKey(const QString &line, int number)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        addFinding(number, true, u"ожидается «ключ = значение»"_s);
        return;
    }
    const QString key = line.left(equals).trimmed().toLower();
    QString value = line.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2).replace(u"\"\""_s, u"\""_s);
    if (key == u"title"_s) {
        m_title = value;
    } else if (key == u"start"_s) {
        if (!insideFolder(value))
            addFinding(number, true, u"начальная страница вне папки курса: %1"_s.arg(value));
        else
            m_start = value;
    } else if (key == u"scripts"_s) {
        const QString v = value.toLower();
        if (v == u"on"_s || v == u"yes"_s || v == u"true"_s || v == u"1"_s)
            m_scripts = true;
        else if (v == u"off"_s || v == u"no"_s || v == u"false"_s || v == u"0"_s)
            m_scripts = false;
        else
            addFinding(number, true, u"scripts: ожидается on или off, а не «%1»"_s.arg(value));
    } else {
        addFinding(number, false, u"неизвестный ключ «%1» пропущен"_s.arg(key));
    }
}

void CourseStructure::parseEntry(const QString &line, int number)
{
    qsizetype width = 0;
    while (width < line.size() && (line[width] == u' ' || line[width] == u'\t'))
        ++width;
    for (qsizetype i = 0; i < width; ++i) {
        if (m_indentChar.isNull())
            m_indentChar = line[i];
        if (line[i] != m_indentChar) {
            addFinding(number, true, u"отступ смешивает пробелы и табуляции"_s);
            return;
        }
    }

    QList<Token> words;
    if (!tokens(line, words)) {
        addFinding(number, true, u"кавычка не закрыта"_s);
        return;
    }
    const QString kindWord = words.at(0).text.toLower();
    const qsizetype kindIndex = KindWords.indexOf(kindWord);
    if (kindIndex < 0) {
        addFinding(number, true, u"неизвестный вид пункта «%1»"_s.arg(words.at(0).text));
        return;
    }
    Entry entry;
    entry.kind = Kind(kindIndex);
    entry.line = number;
    if (words.size() < 3 || !words.at(2).quoted) {
        addFinding(number, true, u"ожидается: %1 ИМЯ \"НАДПИСЬ\""_s.arg(kindWord));
        return;
    }
    entry.name = words.at(1).text;
    static const QRegularExpression namePattern(u"^[A-Za-z0-9_]+$"_s);
    if (!namePattern.match(entry.name).hasMatch()) {
        addFinding(number, true, u"имя «%1»: только латинские буквы, цифры и _"_s.arg(entry.name));
        return;
    }
    entry.caption = words.at(2).text;
    if (entry.caption.size() > MaxCaption)
        addFinding(number, true, u"надпись длиннее %1 знаков"_s.arg(MaxCaption));
    if (entry.caption.contains(u'&'))
        addFinding(number, false, u"знак & в надписи показывается как есть"_s);

    qsizetype next = 3;
    const bool needsTarget = entry.kind == Kind::Page || entry.kind == Kind::Presentation ||
                             entry.kind == Kind::Operation;
    if (needsTarget) {
        if (words.size() <= 3) {
            addFinding(number, true, u"у пункта %1 нет цели"_s.arg(entry.name));
            return;
        }
        entry.target = words.at(3).text;
        next = 4;
    }

    bool secondViewer = false;
    for (qsizetype i = next; i < words.size(); ++i) {
        const QString option = words.at(i).text;
        const qsizetype equals = option.indexOf(u'=');
        const QString key = (equals < 0 ? option : option.left(equals)).toLower();
        const QString value = equals < 0 ? QString() : option.mid(equals + 1);
        if (key == u"hidden"_s && equals < 0) {
            entry.hidden = true;
        } else if (key == u"no-icon"_s && equals < 0) {
            entry.noIcon = true;
        } else if (key == u"for"_s && equals > 0) {
            for (const QString &role : value.split(u',')) {
                const qsizetype r = RoleWords.indexOf(role.trimmed().toLower());
                if (r < 0)
                    addFinding(number, true, u"for=: неизвестная роль «%1»"_s.arg(role));
                else
                    entry.roles |= 1 << r;
            }
        } else if (key == u"after"_s && equals > 0) {
            for (const QString &test : value.split(u',', Qt::SkipEmptyParts))
                entry.after.append(test.trimmed());
            if (entry.after.isEmpty())
                addFinding(number, true, u"after= не называет ни одного теста"_s);
        } else if (key == u"during-test"_s && value.toLower() == u"hide"_s) {
            entry.hideDuringTest = true;
        } else if (key == u"label"_s && equals > 0 && entry.kind == Kind::Test) {
            entry.label = value;
        } else if (key == u"viewer"_s && entry.kind == Kind::Presentation &&
                   (value == u"1"_s || value == u"2"_s)) {
            secondViewer = value == u"2"_s;
        } else {
            addFinding(number, true, u"неизвестный параметр «%1»"_s.arg(option));
        }
    }

    switch (entry.kind) {
    case Kind::Group:
        break;
    case Kind::Page:
    case Kind::Presentation:
        if (!insideFolder(entry.target)) {
            addFinding(number, true, u"цель вне папки курса: %1"_s.arg(entry.target));
            return;
        }
        entry.argument = entry.kind == Kind::Page
                             ? entry.target
                             : (secondViewer ? MenuTree::ProgramTwo : MenuTree::ProgramOne) +
                                   u" /s "_s + entry.target;
        break;
    case Kind::Test:
        if (testNumber(entry.name) == 0) {
            addFinding(
                number, true,
                u"тест должен называться test1 … test%1, а не %2"_s.arg(MaxTests).arg(entry.name));
            return;
        }
        entry.name = entry.name.toLower();
        if (entry.label.isEmpty())
            entry.label = entry.caption;
        break;
    case Kind::Operation:
        if (!operations().contains(entry.target.toLower())) {
            addFinding(number, true,
                       u"неизвестная команда «%1»; допустимы: %2"_s.arg(
                           entry.target, operations().join(u", "_s)));
            return;
        }
        entry.argument = entry.target.toLower();
        break;
    }
    if (entry.kind != Kind::Test && testNumber(entry.name) != 0) {
        addFinding(number, true, u"имя %1 оставлено для теста"_s.arg(entry.name));
        return;
    }
    if (find(entry.name)) {
        addFinding(number, true,
                   u"имя %1 уже есть в строке %2"_s.arg(entry.name).arg(find(entry.name)->line));
        return;
    }

    while (!m_open.isEmpty() && m_open.last().first >= width)
        m_open.removeLast();
    if (!m_open.isEmpty()) {
        Entry &group = m_entries[m_open.last().second];
        if (group.kind != Kind::Group) {
            addFinding(number, true,
                       u"отступ под пунктом %1, который не группа (строка %2)"_s.arg(group.name)
                           .arg(group.line));
            return;
        }
        entry.parent = group.name;
    } else if (width > 0) {
        addFinding(number, true, u"отступ без группы выше"_s);
        return;
    }
    if (m_open.size() + 1 > MaxDepth) {
        addFinding(number, true, u"вложенность глубже %1 уровней"_s.arg(MaxDepth));
        return;
    }
    if (m_entries.size() >= MaxEntries) {
        addFinding(number, true, u"пунктов больше %1"_s.arg(MaxEntries));
        return;
    }
    entry.visible = entry.visibleFor(Role::Guest);
    m_entries.append(entry);
    m_open.append({int(width), m_entries.size() - 1});
}

void CourseStructure::checkReferences()
{
    QHash<QString, const Entry *> testsByName;
    for (const Entry &entry : m_entries) {
        if (entry.kind == Kind::Test)
            testsByName.insert(entry.name, &entry);
    }
    QSet<QString> groupsWithItems;
    for (Entry &entry : m_entries) {
        if (!entry.parent.isEmpty())
            groupsWithItems.insert(entry.parent);
        for (QString &test : entry.after) {
            test = test.toLower();
            if (!testsByName.contains(test))
                addFinding(entry.line, true, u"after=%1: в курсе нет такого теста"_s.arg(test));
            else if (test == entry.name)
                addFinding(entry.line, true, u"тест %1 ждёт сам себя"_s.arg(test));
        }
    }
    // A test that waits, through others, for itself never opens.
    for (const Entry *test : std::as_const(testsByName)) {
        QSet<QString> seen;
        QStringList queue = test->after;
        while (!queue.isEmpty()) {
            const QString name = queue.takeFirst();
            if (seen.contains(name))
                continue;
            seen.insert(name);
            if (const Entry *other = testsByName.value(name))
                queue += other->after;
        }
        if (seen.contains(test->name) && !test->after.contains(test->name))
            addFinding(test->line, true,
                       u"тест %1 через другие тесты ждёт сам себя"_s.arg(test->name));
    }
    for (const Entry &entry : m_entries) {
        if (entry.kind == Kind::Group && !groupsWithItems.contains(entry.name))
            addFinding(entry.line, false, u"группа %1 пуста"_s.arg(entry.name));
    }
    std::stable_sort(m_findings.begin(), m_findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
}

QList<MenuTree::Entry> CourseStructure::children(const QString &parent) const
{
    QList<Entry> result;
    for (const Entry &entry : m_entries) {
        if (entry.parent == parent)
            result.append(entry);
    }
    return result;
}

const MenuTree::Entry *CourseStructure::find(const QString &name) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

QList<const MenuTree::Entry *> CourseStructure::tests() const
{
    QList<const Entry *> result;
    for (const Entry &entry : m_entries) {
        if (entry.kind == Kind::Test)
            result.append(&entry);
    }
    return result;
}

bool CourseStructure::shownTo(const Entry &entry, Role role) const
{
    for (const Entry *e = &entry; e; e = e->parent.isEmpty() ? nullptr : find(e->parent)) {
        // A group without for= of its own passes its own group's on.
        if (!e->visibleFor(role))
            return false;
    }
    return true;
}

bool CourseStructure::opens(const Entry &entry, const QList<QByteArray> &passedTests)
{
    for (const QString &test : entry.after) {
        if (!passedTests.contains(test.toLatin1()))
            return false;
    }
    return true;
}

const CourseStructure &CourseStructure::defaultCourse()
{
    static const CourseStructure course = parse(defaultText());
    return course;
}

QByteArray CourseStructure::defaultText()
{
    QFile file(u":/coursebook/default-course.ini"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

CourseStructure CourseStructure::load(const QString &folder)
{
    QString path;
    const QDir dir(folder);
    // A folder copied from Windows may spell the name in capitals.
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name.compare(FileName, Qt::CaseInsensitive) == 0) {
            path = dir.filePath(name);
            break;
        }
    }
    if (path.isEmpty())
        return defaultCourse();

    CourseStructure course;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        course.addFinding(0, true, u"файл не читается: %1"_s.arg(file.errorString()));
    } else if (file.size() > MaxFileSize) {
        course.addFinding(0, true, u"файл больше %1 байт"_s.arg(MaxFileSize));
    } else {
        course = parse(file.readAll());
    }
    course.m_fromFile = true;
    if (!course.hasErrors())
        return course;

    QFile fallbackFile(u":/coursebook/broken-course.ini"_s);
    CourseStructure fallback;
    if (fallbackFile.open(QIODevice::ReadOnly))
        fallback = parse(fallbackFile.readAll());
    fallback.m_findings = course.m_findings;
    fallback.m_title = defaultCourse().title();
    fallback.m_broken = true;
    fallback.m_fromFile = true;
    return fallback;
}

QByteArray CourseStructure::text() const
{
    QString out = u"[course]\n"_s;
    if (!m_title.isEmpty())
        out += u"title = "_s + m_title + u'\n';
    if (!m_start.isEmpty())
        out += u"start = "_s + m_start + u'\n';
    if (m_scripts)
        out += u"scripts = on\n"_s;
    out += u"\n[menu]\n"_s;
    for (const Entry &entry : m_entries) {
        int depth = 0;
        for (const Entry *up = find(entry.parent); up; up = find(up->parent))
            ++depth;
        QString line = QString(depth * 2, u' ') + KindWords.at(int(entry.kind)) + u' ' +
                       entry.name + u' ' + quotedText(entry.caption);
        if (!entry.target.isEmpty())
            line += u' ' + targetText(entry.target);
        QStringList roles;
        for (int r = 0; r < MenuTree::RoleCount; ++r) {
            if (entry.roles & (1 << r))
                roles.append(RoleWords.at(r));
        }
        if (!roles.isEmpty())
            line += u" for="_s + roles.join(u',');
        if (entry.hidden)
            line += u" hidden"_s;
        if (!entry.after.isEmpty())
            line += u" after="_s + entry.after.join(u',');
        if (entry.hideDuringTest)
            line += u" during-test=hide"_s;
        if (entry.noIcon)
            line += u" no-icon"_s;
        if (entry.kind == Kind::Test && entry.label != entry.caption)
            line += u" label="_s + quotedText(entry.label);
        if (entry.kind == Kind::Presentation && entry.argument.startsWith(MenuTree::ProgramTwo))
            line += u" viewer=2"_s;
        out += line + u'\n';
    }
    return out.toUtf8();
}

QString CourseStructure::findingsText() const
{
    QString out;
    for (const Finding &f : m_findings) {
        out += (f.line > 0 ? u"строка %1: "_s.arg(f.line) : QString()) +
               (f.error ? u"ошибка: "_s : u"предупреждение: "_s) + f.text + u'\n';
    }
    return out;
}

QString CourseStructure::findingsPage() const
{
    return u"<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>"
           u"<h2>%1</h2><p>Меню курса не построено. Администратор может войти и исправить файл; "
           u"проверить его можно командой «coursebook-admin course check».</p><pre>%2</pre>"
           u"</body></html>"_s.arg(u"Ошибки в файле %1"_s.arg(FileName),
                                   findingsText().toHtmlEscaped());
}
