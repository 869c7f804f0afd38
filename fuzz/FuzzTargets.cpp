// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzTargets.h"

#include "AdminSettings.h"
#include "CodePage.h"
#include "IniDocument.h"
#include "IniProfile.h"
#include "IntegerText.h"
#include "MemoryTargets.h"
#include "Paths.h"
#include "QuestionSource.h"
#include "RuntimeError.h"
#include "TestConverter.h"
#include "TestFile.h"
#include "UserList.h"

#include <QDir>
#include <QFile>

namespace {

const QByteArray Marker = QByteArrayLiteral("!!!!!!");

class Reader
{
public:
    explicit Reader(QByteArrayView input) : m_input(input) {}

    QByteArray name(int limit)
    {
        if (m_pos >= m_input.size())
            return QByteArray();
        const int wanted = quint8(m_input[m_pos]) % limit;
        ++m_pos;
        const qsizetype length = qMin<qsizetype>(wanted, m_input.size() - m_pos);
        const QByteArray out = m_input.sliced(m_pos, length).toByteArray();
        m_pos += length;
        return out;
    }
    QByteArray rest() const { return m_input.sliced(qMin(m_pos, m_input.size())).toByteArray(); }

private:
    QByteArrayView m_input;
    qsizetype m_pos = 0;
};

bool putFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray sameName(const QByteArray &a, const QByteArray &b)
{
    return CodePage::fold(IniDocument::trimmed(a).toByteArray()) ==
                   CodePage::fold(IniDocument::trimmed(b).toByteArray())
               ? QByteArrayLiteral("same")
               : QByteArray();
}

QByteArray failure(const char *what, const RuntimeError &e)
{
    return QByteArray(what) + ": " + e.message().toUtf8();
}

// The line kinds of a question source, written out again here so that the
// conversion is checked against the rules rather than against itself.
bool isQuestionLine(const QByteArray &line)
{
    if (line.isEmpty() || line == "********")
        return false;
    return !(line.size() >= 2 && line[0] >= 'A' && line[0] <= 'E' && line[1] == ')');
}

} // namespace

QByteArray FuzzTargets::iniProfile(QByteArrayView input)
{
    Reader reader(input);
    const QByteArray section = reader.name(16);
    const QByteArray key = reader.name(16);
    const QByteArray value = reader.name(64);
    const QByteArray otherSection = reader.name(16);
    const QByteArray otherKey = reader.name(16);
    const QString path = Paths::resolve(QByteArrayLiteral("\\users.ini"));
    if (!putFile(path, reader.rest()))
        return "cannot set up the file";

    const QByteArray first = IniProfile::read(path, section, key, Marker);
    if (first.size() > IniProfile::MaxValueLength)
        return "a read gave more than the read limit";
    const bool sameEntry =
        !sameName(section, otherSection).isEmpty() && !sameName(key, otherKey).isEmpty();
    const QByteArray otherBefore = IniProfile::read(path, otherSection, otherKey, Marker);

    const QByteArray stored = '"' + value + '"';
    const bool storable = IniDocument::canStore(section, key, stored);
    try {
        IniProfile::write(path, section, key, stored);
        if (!storable)
            return "a value the line format cannot hold was written";
    } catch (const RuntimeError &e) {
        if (storable)
            return failure("a storable write was refused", e);
        return QByteArray();
    }
    const QByteArray back = IniProfile::read(path, section, key, Marker);
    if (back != value)
        return "the value written reads back as " + back.toHex();
    if (!sameEntry && IniProfile::read(path, otherSection, otherKey, Marker) != otherBefore)
        return "a write changed another entry";
    if (!IniProfile::hasSection(path, section))
        return "the section written is not found";

    const QByteArray otherBeforeErase = IniProfile::read(path, otherSection, otherKey, Marker);
    try {
        IniProfile::eraseSection(path, section);
    } catch (const RuntimeError &e) {
        return failure("a removal was refused", e);
    }
    if (sameName(section, otherSection).isEmpty() &&
        IniProfile::read(path, otherSection, otherKey, Marker) != otherBeforeErase)
        return "removing a section changed another one";
    return QByteArray();
}

QByteArray FuzzTargets::questionSource(QByteArrayView input)
{
    const QString sourcePath = QDir::current().filePath(QStringLiteral("source.txt"));
    const QString outputPath = Paths::resolve(QByteArrayLiteral("\\out.ini"));
    QFile::remove(outputPath);
    if (!putFile(sourcePath, input.toByteArray()))
        return "cannot set up the file";

    QList<QByteArray> questions;
    for (const QByteArray &line : QuestionSource::read(sourcePath)) {
        if (line.contains('\r') || line.contains('\n') || line.contains(QuestionSource::EndOfText))
            return "a source line holds a line end or Ctrl-Z";
        if (isQuestionLine(line))
            questions.append(line);
    }

    TestConverter converter;
    TestConverter::Result result;
    try {
        result = converter.convert(sourcePath, QByteArrayLiteral("\\out.ini"));
    } catch (const RuntimeError &e) {
        // A line whose scrambled bytes hold a line end cannot be stored; the
        // conversion must then leave no file behind.
        if (!e.message().startsWith(QLatin1String("Unable to write to")))
            return failure("unexpected conversion error", e);
        if (QFile::exists(outputPath))
            return "a refused conversion left a file";
        return QByteArray();
    }
    if (result.questionLines != questions.size() || result.count != questions.size() - 1)
        return "wrong question count";
    const TestFile file = TestFile::atRelativeName(QByteArrayLiteral("\\out.ini"));
    if (file.countText() != QByteArray::number(result.count))
        return "vsego is " + file.countText();
    for (int k = 1; k <= qMin<int>(questions.size(), 20); ++k) {
        if (file.question(k) != questions[k - 1].left(IniProfile::MaxValueLength))
            return "question " + QByteArray::number(k) + " reads back changed";
    }
    return QByteArray();
}

QByteArray FuzzTargets::settingsLine(QByteArrayView input)
{
    if (!QDir::current().mkpath(QStringLiteral("data/info")))
        return "cannot set up the folder";
    const QString path = Paths::resolve(AdminSettings::FileName);
    if (!putFile(path, input.toByteArray()))
        return "cannot set up the file";
    try {
        const AdminSettings read = AdminSettings::read();
        for (const QByteArray *field : {&read.login, &read.password, &read.logName}) {
            if (field->contains('|') || field->contains('\r') || field->contains('\n'))
                return "a field holds a separator or a line end";
        }
        QByteArrayView first = input;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (input[i] == '\r' || input[i] == '\n' || input[i] == QuestionSource::EndOfText) {
                first = input.first(i);
                break;
            }
        }
        const QList<QByteArray> fields = first.toByteArray().split('|');
        if (read.login != fields.value(0) || read.password != fields.value(1) ||
            read.logName != fields.value(2))
            return "the fields are not those of the first line";
        read.write();
        const AdminSettings again = AdminSettings::read();
        if (again.login != read.login || again.password != read.password ||
            again.logName != read.logName)
            return "the settings written read back changed";
    } catch (const RuntimeError &e) {
        return failure("the settings file was refused", e);
    }
    return QByteArray();
}

QByteArray FuzzTargets::userList(QByteArrayView input)
{
    const QString path = Paths::resolve(UserList::FileName);
    if (!putFile(path, input.toByteArray()))
        return "cannot set up the file";
    try {
        const QList<QByteArray> names = UserList::load();
        qsizetype total = 0;
        for (const QByteArray &name : names) {
            if (name.contains('\r') || name.contains('\n'))
                return "a name holds a line end";
            total += name.size() + 1;
        }
        if (total > input.size() + names.size())
            return "more names than the file holds";
        UserList::save(names);
        if (UserList::load() != names)
            return "the list saved reads back changed";
        const QByteArray name = names.isEmpty() ? QByteArrayLiteral("x") : names.constFirst();
        QList<QByteArray> expected = names;
        expected.append(name);
        if (UserList::add(name) != expected || UserList::load() != expected)
            return "adding a name lost one";
        if (UserList::remove(name).size() != names.size() ||
            UserList::load().size() != names.size())
            return "removing a name removed something else";
    } catch (const RuntimeError &e) {
        return failure("the list was refused", e);
    }
    return QByteArray();
}

QByteArray FuzzTargets::testFile(QByteArrayView input)
{
    if (!QDir::current().mkpath(QStringLiteral("data/tests")))
        return "cannot set up the folder";
    if (!putFile(Paths::resolve(QByteArrayLiteral("\\data\\tests\\test1.ini")),
                 input.toByteArray()))
        return "cannot set up the file";
    const TestFile file(QByteArrayLiteral("test1"));
    const QByteArray countText = file.countText();
    int count = 0;
    bool parsed = true;
    try {
        count = file.count();
    } catch (const RuntimeError &) {
        parsed = false;
    }
    bool parsedAgain = true;
    try {
        if (IntegerText::parse(countText) != count)
            return "the count differs from its text";
    } catch (const RuntimeError &) {
        parsedAgain = false;
    }
    if (parsed != parsedAgain)
        return "the count and its text disagree";
    const int last = qBound(0, count, 8);
    for (int k = -1; k <= last + 1; ++k) {
        qsizetype size = file.question(k).size() + file.rightAnswer(k).size();
        for (int i = 1; i <= 5; ++i)
            size += file.answer(k, i).size();
        if (size > 7 * IniProfile::MaxValueLength)
            return "a read gave more than the read limit";
    }
    return QByteArray();
}

QList<QByteArray> FuzzTargets::names()
{
    return {"ini_profile",    "question_source", "settings_line", "user_list",
            "test_file",      "ini_document",    "test_whole",    "question_lines",
            "settings_parse", "user_names",      "aiken",         "gift",
            "quiz_xml",       "test_log"};
}

FuzzTargets::Target FuzzTargets::byName(const QByteArray &name)
{
    static const Target targets[] = {
        &iniProfile,
        &questionSource,
        &settingsLine,
        &userList,
        &testFile,
        &MemoryTargets::iniDocument,
        &MemoryTargets::testWhole,
        &MemoryTargets::questionLines,
        &MemoryTargets::settingsParse,
        &MemoryTargets::userNames,
        &MemoryTargets::aiken,
        &MemoryTargets::gift,
        &MemoryTargets::quizXml,
        &MemoryTargets::testLog,
    };
    const qsizetype i = names().indexOf(name);
    return i < 0 ? nullptr : targets[i];
}
