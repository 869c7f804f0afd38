// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClassTransfer.h"

#include "AnswerRecord.h"
#include "CodePage.h"
#include "FolderStore.h"
#include "IniDocument.h"
#include "LogDate.h"
#include "Paths.h"
#include "RemovedUsers.h"
#include "Roster.h"
#include "RuntimeError.h"
#include "SectionText.h"
#include "ServerStore.h"
#include "Store.h"
#include "TestFile.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTemporaryDir>

namespace {

QString text(const QByteArray &bytes)
{
    return CodePage::toUnicode(bytes);
}

using Record = FolderAccess::Record;

// A folder store works in the process's current directory; the caller's
// comes back after.
class KeepCurrent
{
public:
    KeepCurrent() : m_previous(QDir::currentPath()) {}
    ~KeepCurrent() { QDir::setCurrent(m_previous); }
    KeepCurrent(const KeepCurrent &) = delete;
    KeepCurrent &operator=(const KeepCurrent &) = delete;

private:
    QString m_previous;
};

// The lines of a record, each with its own line end, as the file holds them.
QList<QByteArray> linesOf(const QByteArray &data)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (end < data.size())
            end += data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n' ? 2 : 1;
        lines.append(data.mid(start, end - start));
        start = end;
    }
    return lines;
}

QByteArray withoutEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// A grade as users.ini holds it: a whole number 0 … 255 written as the
// folder writes one, or nothing.
std::optional<int> gradeOf(const QByteArray &stored)
{
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (!ok || value < 0 || value > 255 || QByteArray::number(value) != stored)
        return std::nullopt;
    return value;
}

} // namespace

QJsonArray ClassTransfer::questions(const QByteArray &testName, const QByteArray &file)
{
    const TestFile test = TestFile::ofBytes(TestFile(testName).relativeName(), file);
    int count = 0;
    try {
        count = test.count();
    } catch (const RuntimeError &) {
        count = 0;
    }
    QJsonArray result;
    for (int k = 1; k <= count; ++k) {
        QJsonArray answers;
        for (int i = 1; i <= 5; ++i)
            answers.append(text(test.answer(k, i)));
        result.append(QJsonObject{
            {QStringLiteral("question"), text(test.question(k))},
            {QStringLiteral("answers"), answers},
            {QStringLiteral("key"), AnswerRecord::rightDigit(test.rightAnswer(k)) - '0'}});
    }
    return result;
}

ClassTransfer::Reading ClassTransfer::read(const QString &folder)
{
    const KeepCurrent keep;
    FolderStore source(folder);
    FolderAccess &files = source;
    Reading reading;
    QJsonObject &data = reading.data;
    const auto refuse = [&reading](const QString &what) { reading.refusals.append(what); };

    ClassSettings settings;
    try {
        settings = source.readSettings();
        data.insert(QStringLiteral("settings"),
                    QJsonObject{{QStringLiteral("admin_login"), text(settings.login)},
                                {QStringLiteral("admin_password"), text(settings.password)},
                                {QStringLiteral("log_name"), text(settings.logName)}});
    } catch (const RuntimeError &e) {
        refuse(QStringLiteral("data\\info\\tumb.db: %1").arg(e.message()));
    }
    // A log the settings place outside the folder is not read.
    const QByteArray outside = source.logNameRefusal(settings.logName);
    if (!settings.logName.isEmpty() && !outside.isEmpty()) {
        refuse(QStringLiteral("data\\info\\tumb.db: %1").arg(text(outside)));
        settings.logName.clear();
    }

    // users.ini by its sections, the list by its lines: each must have the
    // other, in any letter case, once.
    const QByteArray usersIni = files.recordBytes(Record::Users);
    const QList<QByteArray> list = source.users();
    QHash<QByteArray, int> sectionLine;
    const QList<SectionText::Span> sections = SectionText::all(usersIni);
    for (const SectionText::Span &span : sections) {
        const int line = int(usersIni.left(span.begin).count('\n')) + 1;
        const QByteArray folded = CodePage::fold(span.name);
        if (sectionLine.contains(folded))
            refuse(QStringLiteral("users.ini, строка %1: раздел «%2» повторяет раздел строки %3 "
                                  "с точностью до регистра букв")
                       .arg(line)
                       .arg(text(span.name))
                       .arg(sectionLine.value(folded)));
        else
            sectionLine.insert(folded, line);
    }
    QSet<QByteArray> listed;
    QJsonArray users;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QByteArray &name = list.at(i);
        const QByteArray folded = CodePage::fold(name);
        if (name.isEmpty())
            continue;
        if (listed.contains(folded)) {
            refuse(QStringLiteral("users, строка %1: «%2» в списке второй раз")
                       .arg(i + 1)
                       .arg(text(name)));
            continue;
        }
        listed.insert(folded);
        if (!sectionLine.contains(folded)) {
            refuse(QStringLiteral("users, строка %1: у «%2» нет раздела в users.ini")
                       .arg(i + 1)
                       .arg(text(name)));
            continue;
        }
        QJsonArray grades;
        for (int k = 1; k <= ClassStore::TestCount; ++k) {
            const QByteArray stored = source.gradeText(name, k);
            const std::optional<int> grade = gradeOf(stored);
            if (!grade) {
                refuse(QStringLiteral("users.ini, строка %1: %2 у «%3» — «%4», не оценка")
                           .arg(sectionLine.value(folded))
                           .arg(text(ClassStore::testName(k)), text(name), text(stored)));
                break;
            }
            grades.append(*grade);
        }
        const std::optional<QByteArray> password = source.storedPassword(name);
        users.append(QJsonObject{
            {QStringLiteral("name"), text(name)},
            {QStringLiteral("password"), password ? QJsonValue(text(*password)) : QJsonValue()},
            {QStringLiteral("grades"), grades}});
    }
    for (const SectionText::Span &span : sections) {
        if (!listed.contains(CodePage::fold(span.name)))
            refuse(QStringLiteral("users.ini, строка %1: «%2» нет в списке users")
                       .arg(sectionLine.value(CodePage::fold(span.name)))
                       .arg(text(span.name)));
    }
    data.insert(QStringLiteral("users"), users);
    reading.users = int(users.size());

    // The removed users, each time it was removed.
    const QByteArray removedIni = files.recordBytes(Record::Removed);
    QJsonArray removed;
    QSet<QByteArray> keptNames;
    for (const SectionText::Span &span : SectionText::all(removedIni)) {
        if (keptNames.contains(CodePage::fold(span.name)))
            continue;
        keptNames.insert(CodePage::fold(span.name));
        for (const RemovedUsers::Kept &kept : RemovedUsers::keptIn(removedIni, span.name)) {
            const QByteArray name = SectionText::all(kept.section).value(0).name;
            if (!kept.removed.isValid()) {
                refuse(QStringLiteral("removed-users.ini: у «%1» нет строки с датой удаления")
                           .arg(text(name)));
                continue;
            }
            QJsonArray grades;
            for (int k = 1; k <= ClassStore::TestCount; ++k) {
                QByteArray value;
                if (!IniDocument::find(kept.section, name, ClassStore::testName(k), &value))
                    value = Store::MissingMarker;
                grades.append(gradeOf(Store::crypt(value)).value_or(0));
            }
            removed.append(
                QJsonObject{{QStringLiteral("name"), text(name)},
                            {QStringLiteral("grades"), grades},
                            {QStringLiteral("removed"), double(kept.removed.toSecsSinceEpoch())}});
        }
    }
    data.insert(QStringLiteral("removed"), removed);
    reading.removed = int(removed.size());

    QJsonArray tests;
    for (int k = 1; k <= 10; ++k) {
        const QByteArray name = ClassStore::testName(k);
        const std::optional<QByteArray> stored = files.testBytes(name);
        if (!stored)
            continue;
        const QByteArray &file = *stored;
        const QJsonArray items = questions(name, file);
        if (items.isEmpty()) {
            refuse(QStringLiteral("%1: в тесте нет вопросов")
                       .arg(Paths::display(files.testFile(name))));
            continue;
        }
        tests.append(QJsonObject{
            {QStringLiteral("test"), k},
            {QStringLiteral("file"), QString::fromLatin1(file.toBase64())},
            {QStringLiteral("digest"), QString::fromLatin1(AnswerRecord::versionOf(file))},
            {QStringLiteral("questions"), items}});
    }
    data.insert(QStringLiteral("tests"), tests);
    reading.tests = int(tests.size());

    if (settings.logName.isEmpty()) {
        data.insert(QStringLiteral("log"), QJsonArray());
        data.insert(QStringLiteral("runs"), QJsonArray());
        return reading;
    }
    const QString logPath = files.recordFile(Record::Log);
    QJsonArray log;
    const QList<QByteArray> logLines = linesOf(files.recordBytes(Record::Log));
    for (qsizetype i = 0; i < logLines.size(); ++i) {
        const QByteArray line = withoutEnd(logLines.at(i));
        // user | time | date | test | grade, the user's name may hold " | ".
        const QList<QByteArray> fields = line.split('|');
        const int test = fields.size() >= 5
                             ? AnswerRecord::testNumber(fields.at(fields.size() - 2).trimmed())
                             : 0;
        const int grade = fields.size() >= 5 ? fields.last().trimmed().toInt() : 0;
        if (test < 1 || grade < 1 || grade > 5) {
            refuse(QStringLiteral("%1, строка %2: не строка журнала тестов")
                       .arg(Paths::display(logPath))
                       .arg(i + 1));
            continue;
        }
        QByteArray user = line;
        for (int n = 0; n < 4; ++n)
            user.truncate(user.lastIndexOf(" | "));
        QDateTime at(LogDate::parse(fields.at(fields.size() - 3).trimmed()),
                     LogDate::parseTime(fields.at(fields.size() - 4).trimmed()));
        if (!at.isValid())
            at = QDateTime::fromSecsSinceEpoch(0);
        log.append(
            QJsonObject{{QStringLiteral("line"), QString::fromLatin1(logLines.at(i).toBase64())},
                        {QStringLiteral("user"), text(user)},
                        {QStringLiteral("at"), double(at.toSecsSinceEpoch())},
                        {QStringLiteral("test"), test},
                        {QStringLiteral("grade"), grade}});
    }
    data.insert(QStringLiteral("log"), log);
    reading.logLines = int(log.size());

    QSet<QByteArray> known = listed;
    known.unite(keptNames);
    const QString answerPath = files.recordFile(Record::Answers);
    QJsonArray runs;
    const QList<QByteArray> answerLines = linesOf(files.recordBytes(Record::Answers));
    for (qsizetype i = 0; i < answerLines.size(); ++i) {
        AnswerRecord record;
        if (AnswerRecord::parse(withoutEnd(answerLines.at(i)), record) !=
                AnswerRecord::Fault::None ||
            !answerLines.at(i).endsWith("\r\n")) {
            refuse(QStringLiteral("%1, строка %2: не запись ответов")
                       .arg(Paths::display(answerPath))
                       .arg(i + 1));
            continue;
        }
        if (!known.contains(CodePage::fold(record.user))) {
            refuse(QStringLiteral("%1, строка %2: пользователя «%3» нет ни в users.ini, ни среди "
                                  "удалённых")
                       .arg(Paths::display(answerPath))
                       .arg(i + 1)
                       .arg(text(record.user)));
            continue;
        }
        runs.append(QJsonObject{
            {QStringLiteral("user"), text(record.user)},
            {QStringLiteral("at"), double(QDateTime(record.date, record.time).toSecsSinceEpoch())},
            {QStringLiteral("test"), AnswerRecord::testNumber(record.testName)},
            {QStringLiteral("grade"), record.grade},
            {QStringLiteral("digest"), QString::fromLatin1(record.version)},
            {QStringLiteral("chosen"), QString::fromLatin1(record.chosen)},
            {QStringLiteral("right"), QString::fromLatin1(record.right)}});
    }
    data.insert(QStringLiteral("runs"), runs);
    reading.runs = int(runs.size());

    // The teacher's changes to the grades, line by line as they stand.
    QJsonArray changes;
    for (const QByteArray &line : linesOf(files.recordBytes(Record::Changes))) {
        const QByteArray bare = withoutEnd(line);
        if (!bare.isEmpty())
            changes.append(text(bare));
    }
    data.insert(QStringLiteral("changes"), changes);
    reading.changes = int(changes.size());
    return reading;
}

ClassTransfer::Reading ClassTransfer::import(ServerStore &store, const QString &folder)
{
    Reading reading = read(folder);
    if (!reading.refusals.isEmpty())
        return reading;
    try {
        store.client().rows(
            QStringLiteral("SELECT * FROM cb.admin_import(?, ?::jsonb)"),
            {store.adminToken(),
             QString::fromUtf8(QJsonDocument(reading.data).toJson(QJsonDocument::Compact))});
    } catch (const ServerClient::Refused &refused) {
        reading.refusals.append(refused.message());
    }
    return reading;
}

ClassTransfer::Written ClassTransfer::exportTo(ServerStore &store, const QString &folder,
                                               const QString &sheet)
{
    // Both named as the caller meant them, before a store moves the
    // current directory.
    const QFileInfo target(QFileInfo(folder).absoluteFilePath());
    const QString sheetPath = QFileInfo(sheet).absoluteFilePath();
    if (target.exists() &&
        (!target.isDir() ||
         !QDir(target.filePath()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)))
        throw RuntimeError(QStringLiteral("папка %1 не пуста: курс выгружается только в новую "
                                          "папку")
                               .arg(QDir::toNativeSeparators(folder)));
    const QString parent = target.absolutePath();
    QDir().mkpath(parent);
    QTemporaryDir made(parent + QStringLiteral("/.coursebook-export-XXXXXX"));
    if (!made.isValid())
        throw RuntimeError(QStringLiteral("в папке %1 нельзя создать папку: %2")
                               .arg(QDir::toNativeSeparators(parent), made.errorString()));

    const ClassSettings settings = store.settings();
    Written written;
    QList<Roster::Entry> entries;
    QHash<QByteArray, QByteArray> passwords;
    Roster::Entry admin;
    admin.name = settings.login;
    admin.password = Roster::generatePassword();
    admin.generated = true;
    entries.append(admin);
    for (const QByteArray &name : store.users()) {
        Roster::Entry entry;
        entry.line = int(entries.size());
        entry.name = name;
        entry.password = Roster::generatePassword();
        entry.generated = true;
        entries.append(entry);
        passwords.insert(CodePage::fold(name), entry.password);
        ++written.users;
    }
    {
        const KeepCurrent keep;
        FolderStore into(made.path());
        into.makeFolders();
        into.writeSettings({settings.login, admin.password, settings.logName});
        // From here on the new folder's store keeps the log the settings name.
        into.readSettings();
        const auto leaf = [&into](Record record) {
            return QFileInfo(into.recordFile(record)).fileName();
        };
        QHash<QString, Record> byName{{leaf(Record::Users), Record::Users},
                                      {leaf(Record::List), Record::List},
                                      {leaf(Record::Removed), Record::Removed}};
        if (!settings.logName.isEmpty()) {
            for (const Record record : {Record::Log, Record::Answers, Record::Changes})
                byName.insert(leaf(record), record);
        }
        for (const ClassStore::RecordCopy &copy : store.recordCopies(passwords)) {
            const auto record = byName.constFind(copy.name);
            if (record == byName.constEnd() || (copy.bytes.isEmpty() && *record != Record::List))
                continue;
            into.writeRecord(*record, copy.bytes);
            if (*record == Record::Log)
                written.logLines = int(copy.bytes.count('\n'));
            else if (*record == Record::Answers)
                written.runs = int(copy.bytes.count('\n'));
        }
        for (int k = 1; k <= ClassStore::RunTests; ++k) {
            const std::optional<QByteArray> file = store.publishedFile(ClassStore::testName(k));
            if (!file)
                continue;
            into.writeTest(ClassStore::testName(k), *file);
            ++written.tests;
        }
    }
    // The sheet first: the passwords exist nowhere else.
    TextFile::replace(sheetPath, Roster::sheet(entries, QDateTime::currentDateTime()));
    if (target.exists() && !QDir().rmdir(target.filePath()))
        throw RuntimeError(
            QStringLiteral("папка %1 не заменена").arg(QDir::toNativeSeparators(folder)));
    if (!QDir().rename(made.path(), target.filePath()))
        throw RuntimeError(
            QStringLiteral("папка %1 не создана").arg(QDir::toNativeSeparators(folder)));
    made.setAutoRemove(false);
    return written;
}
