// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderStore.h"

#include "Accounts.h"
#include "AdminSettings.h"
#include "AnswerRecord.h"
#include "CodePage.h"
#include "FileLock.h"
#include "FileRead.h"
#include "FolderBounds.h"
#include "GradeChange.h"
#include "IniDocument.h"
#include "IniProfile.h"
#include "IniSnapshot.h"
#include "IoError.h"
#include "Paths.h"
#include "RemovedUsers.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestFile.h"
#include "TestLog.h"
#include "TextFile.h"
#include "UserAdmin.h"
#include "UserList.h"
#include "UserRecords.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cerrno>
#include <memory>
#include <vector>

namespace {

// A test file read value by value, or from one read of it.
class FolderTest : public StoredTest
{
public:
    explicit FolderTest(TestFile file) : m_file(std::move(file)) {}

    QByteArray question(int k) const override { return m_file.question(k); }
    QByteArray answer(int k, int i) const override { return m_file.answer(k, i); }
    QByteArray rightAnswer(int k) const override { return m_file.rightAnswer(k); }
    QByteArray countText() const override { return m_file.countText(); }
    int count() const override { return m_file.count(); }

private:
    TestFile m_file;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Section
{
    QByteArray name;
    QByteArrayView bytes; // from its header line to the next header
};

// The sections of users.ini by the header rule of the profile reads: a line
// whose first non-blank byte is "["; the name runs to the first "]" (or the
// line's end), blanks around it dropped; of names equal without regard to
// letter case only the first counts. Each section keeps its own bytes, so a
// look-up in it costs its length rather than the file's. Along the way the
// headers that hide or shadow other sections are found.
// A name as a finding shows it: a name of megabytes that a student planted is
// named by its start.
QString shownName(QByteArrayView name)
{
    return CodePage::toUnicode(name.first(qMin<qsizetype>(name.size(), 240)).toByteArray());
}

// The key of a key line, trimmed; empty for a comment or no key line.
QByteArrayView keyOf(QByteArrayView line)
{
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';'))
        return {};
    const qsizetype equals = line.indexOf('=');
    return equals <= 0 ? QByteArrayView() : line.first(equals).trimmed();
}

QList<Section> splitSections(const QByteArray &ini, QList<ClassStore::Finding> *findings)
{
    using Kind = ClassStore::Finding::Kind;
    struct First
    {
        QByteArray name;
        qsizetype line = 0;
    };
    QList<Section> sections;
    QHash<QByteArray, First> firstSpelling;
    QHash<QByteArray, qsizetype> keysHere; // the counted section's keys, folded
    bool counted = false;                  // whether the open section is the one reads take
    const char *d = ini.constData();
    const qsizetype size = ini.size();
    qsizetype openAt = -1;
    QByteArray openName;
    qsizetype lineNo = 0;
    qsizetype nulLine = 0;
    auto close = [&](qsizetype end) {
        if (openAt >= 0 && counted)
            sections.append({openName, QByteArrayView(d + openAt, end - openAt)});
    };
    for (qsizetype start = 0; start < size;) {
        qsizetype end = start;
        while (end < size && d[end] != '\r' && d[end] != '\n')
            ++end;
        ++lineNo;
        const QByteArrayView line(d + start, end - start);
        if (nulLine == 0 && line.contains('\0'))
            nulLine = lineNo;
        qsizetype p = start;
        while (p < end && isBlank(d[p]))
            ++p;
        if (p < end && d[p] == '[') {
            close(start);
            qsizetype n = p + 1;
            while (n < end && isBlank(d[n]))
                ++n;
            qsizetype e = n;
            while (e < end && d[e] != ']')
                ++e;
            const bool open = e == end;
            while (e > n && isBlank(d[e - 1]))
                --e;
            openAt = start;
            openName = QByteArray(d + n, e - n);
            if (open)
                findings->append({Kind::OpenHeader, openName, lineNo,
                                  QStringLiteral("users.ini, строка %1: заголовок раздела «%2» без "
                                                 "«]» открывает раздел, который скрывает следующие")
                                      .arg(lineNo)
                                      .arg(shownName(openName))});
            if (nulLine != 0)
                findings->append({Kind::NulByte, openName, lineNo,
                                  QStringLiteral("users.ini, строка %1: раздел «%2» стоит после "
                                                 "нулевого байта (строка %3)")
                                      .arg(lineNo)
                                      .arg(shownName(openName))
                                      .arg(nulLine)});
            const QByteArray folded = CodePage::fold(openName);
            const auto first = firstSpelling.constFind(folded);
            keysHere.clear();
            counted = first == firstSpelling.constEnd();
            if (counted)
                firstSpelling.insert(folded, {openName, lineNo});
            else if (first->name == openName)
                findings->append({Kind::DuplicateSection, openName, lineNo,
                                  QStringLiteral("users.ini, строка %1: раздел «%2» второй раз "
                                                 "(первый в строке %3); программа читает только "
                                                 "первый")
                                      .arg(lineNo)
                                      .arg(shownName(openName))
                                      .arg(first->line)});
            else
                findings->append({Kind::CaseTwin, openName, lineNo,
                                  QStringLiteral("users.ini, строка %1: раздел «%2» повторяет "
                                                 "раздел «%3» с точностью до регистра букв")
                                      .arg(lineNo)
                                      .arg(shownName(openName), shownName(first->name))});
        } else if (counted) {
            const QByteArrayView key = keyOf(line);
            if (!key.isEmpty()) {
                const QByteArray folded = CodePage::fold(key.toByteArray());
                const auto first = keysHere.constFind(folded);
                if (first == keysHere.constEnd())
                    keysHere.insert(folded, lineNo);
                else
                    findings->append({Kind::DuplicateKey, openName, lineNo,
                                      QStringLiteral("users.ini, строка %1: ключ «%2» второй раз в "
                                                     "разделе «%3» (первый в строке %4); "
                                                     "программа берёт первый")
                                          .arg(lineNo)
                                          .arg(shownName(key), shownName(openName))
                                          .arg(*first)});
            }
        }
        if (end < size && d[end] == '\r' && end + 1 < size && d[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    close(size);
    return sections;
}

QList<QByteArray> splitList(const QByteArray &data)
{
    QList<QByteArray> names;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        names.append(data.mid(start, end - start));
        if (end < data.size() && data[end] == '\r' && end + 1 < data.size() &&
            data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return names;
}

// The stored grade as read-and-unscramble gives it: the missing-value marker
// when absent, cut to the length the profile read returns.
QByteArray storedValue(QByteArrayView section, const QByteArray &name, int k)
{
    QByteArray value;
    if (!IniDocument::find(section, name, Accounts::testKey(k), &value))
        value = Store::MissingMarker;
    if (value.size() > IniProfile::MaxValueLength)
        value.truncate(IniProfile::MaxValueLength);
    return Store::crypt(value);
}

// A record kept beside the log (the answer record, the record of changes)
// under the name `nameOf` gives it. Without the settings there is no log and
// so no such record; the log's reader says why.
ClassStore::Lines besideLog(QByteArray (*nameOf)(const QByteArray &), const QString &what)
{
    ClassStore::Lines lines;
    AdminSettings settings;
    try {
        settings = AdminSettings::read();
    } catch (const RuntimeError &) {
        return lines;
    }
    if (settings.logName.isEmpty() || !AdminSettings::logNameStaysInside(settings.logName))
        return lines;
    const QString path = Paths::resolve(nameOf(settings.logName));
    lines.shown = Paths::display(path);
    if (!QFileInfo::exists(path)) {
        lines.missing = true;
        return lines;
    }
    try {
        lines.text = TextFile::read(path);
    } catch (const RuntimeError &e) {
        lines.failure = QStringLiteral("%1 %2: %3").arg(what, lines.shown, e.message());
    }
    return lines;
}

} // namespace

FolderStore::FolderStore(const QString &folder)
{
    if (!QDir(folder).exists() || !QDir::setCurrent(folder))
        throw RuntimeError(
            QStringLiteral("папка недоступна: %1").arg(QDir::toNativeSeparators(folder)));
    m_folder = QDir::currentPath();
}

void FolderStore::enter() const
{
    // A folder removed or renamed under the running program is not entered
    // again: the names go on resolving where the program is, as they always
    // have, and find nothing there or what the folder now holds.
    const QString current = QDir::currentPath();
    if (!current.isEmpty() && current != m_folder)
        QDir::setCurrent(m_folder);
}

ClassStore::Registration FolderStore::registerUser(const QByteArray &name,
                                                   const QByteArray &password,
                                                   const QByteArray &adminLogin)
{
    enter();
    const Accounts::Registration r = Accounts::registerUser(name, password, adminLogin);
    return {r.refusal, r.list};
}

std::optional<QByteArray> FolderStore::storedPassword(const QByteArray &name) const
{
    enter();
    return Accounts::storedPassword(name);
}

QByteArray FolderStore::gradeText(const QByteArray &name, int k) const
{
    enter();
    return Store::read(name, Accounts::testKey(k), Accounts::UsersIni);
}

quint8 FolderStore::grade(const QByteArray &name, int k) const
{
    enter();
    return Accounts::readGrade(name, k);
}

QByteArray FolderStore::missing() const
{
    return Store::missing();
}

bool FolderStore::writeScores(const QByteArray &name, const Scores &scores)
{
    enter();
    return Accounts::writeScores(name, scores);
}

QList<QByteArray> FolderStore::removeUser(const QByteArray &name)
{
    enter();
    return Accounts::removeUser(name);
}

UserChange FolderStore::setPassword(const QByteArray &name, const QByteArray &password)
{
    enter();
    return UserAdmin::setPassword(name, password);
}

UserChange FolderStore::rename(const QByteArray &from, const QByteArray &to,
                               const QByteArray &adminLogin)
{
    enter();
    return UserAdmin::rename(from, to, adminLogin, m_logName);
}

UserChange FolderStore::restore(const QByteArray &name, const QByteArray &adminLogin,
                                const QByteArray &removed, UserChange::Over over)
{
    enter();
    return UserAdmin::restore(name, adminLogin, removed, over);
}

QList<ClassStore::Removal> FolderStore::removals(const QByteArray &name) const
{
    enter();
    QList<Removal> found;
    for (const RemovedUsers::Kept &kept : RemovedUsers::allKept(name))
        found.append({kept.removed, kept.grades});
    return found;
}

bool FolderStore::isRegistered(const QByteArray &name) const
{
    enter();
    return IniProfile::hasSection(Paths::resolve(Accounts::UsersIni), name);
}

QList<QByteArray> FolderStore::users() const
{
    enter();
    // A first run has no list file yet; the first registration creates it.
    return UserList::exists() ? UserList::load() : QList<QByteArray>();
}

QList<ClassStore::StoredUser> FolderStore::userRecords() const
{
    enter();
    // A new installation has an empty list file and no users.ini yet; a
    // folder with neither is no installation at all.
    const QString ini = Paths::resolve(Accounts::UsersIni);
    if (!QFileInfo::exists(ini) && UserList::exists())
        return {};
    return usersFrom(QByteArray(), TextFile::read(ini)).records;
}

QByteArray FolderStore::refusalText(Refusal refusal) const
{
    return Accounts::refusalText(refusal);
}

QByteArray FolderStore::appendRun(const FinishedRun &run)
{
    enter();
    const QByteArray log = m_logName;
    AnswerRecord record;
    record.user = run.user;
    record.date = run.when.date();
    record.time = run.when.time();
    record.testName = run.testName;
    record.grade = run.grade;
    record.version = run.version;
    record.chosen = run.chosen;
    record.right = run.right;
    AnswerRecord::append(log, record.line());
    const QByteArray line = TestLog::line(run.user, run.when, run.testName, run.grade);
    TestLog::append(log, line);
    return line;
}

QByteArray FolderStore::logText() const
{
    enter();
    const QByteArray name = m_logName;
    const QString path = Paths::resolve(name);
    // The name came from the settings at start-up and may differ from what
    // the settings panel shows now, so the message names the file. An empty
    // name would name the working directory itself; it stands for no file.
    if (name.isEmpty())
        throw IoError::cannotOpen(path, IoError::reason(ENOENT));
    if (!AdminSettings::logNameStaysInside(name))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(name)));
    try {
        return TextFile::read(path);
    } catch (const RuntimeError &) {
        throw IoError::cannotOpen(path, IoError::reason(TextFile::diagnose(path, false)));
    }
}

ClassStore::UsersInput FolderStore::usersFrom(const QByteArray &list, const QByteArray &usersIni)
{
    UsersInput input;
    input.list = splitList(list);
    input.missing = Store::missing();
    for (const Section &section : splitSections(usersIni, &input.findings)) {
        StoredUser user;
        user.name = section.name;
        for (int k = 1; k <= TestCount; ++k)
            user.grades[k - 1] = storedValue(section.bytes, section.name, k);
        input.records.append(user);
    }
    return input;
}

ClassStore::UsersInput FolderStore::usersInput() const
{
    enter();
    QByteArray list;
    QByteArray ini;
    QStringList errors;
    const QString listPath = Paths::resolve(UserList::FileName);
    try {
        list = TextFile::read(listPath);
    } catch (const RuntimeError &e) {
        errors.append(QStringLiteral("список пользователей %1: %2")
                          .arg(Paths::display(listPath), e.message()));
    }
    const QString iniPath = Paths::resolve(Accounts::UsersIni);
    QString iniError;
    try {
        ini = TextFile::read(iniPath);
    } catch (const RuntimeError &e) {
        iniError = QStringLiteral("оценки %1: %2").arg(Paths::display(iniPath), e.message());
    }
    UsersInput input = usersFrom(list, ini);
    // A new installation has an empty list and no users.ini yet.
    const bool listsSomeone = std::any_of(input.list.begin(), input.list.end(),
                                          [](const QByteArray &n) { return !n.isEmpty(); });
    if (!iniError.isEmpty() && (listsSomeone || QFileInfo::exists(iniPath)))
        errors.append(iniError);
    input.failures = errors;
    return input;
}

ClassStore::Lines FolderStore::logLines() const
{
    enter();
    Lines lines;
    const QString settingsPath = Paths::resolve(AdminSettings::FileName);
    AdminSettings settings;
    try {
        settings = AdminSettings::read();
    } catch (const RuntimeError &e) {
        lines.failure =
            QStringLiteral("файл настроек %1: %2").arg(Paths::display(settingsPath), e.message());
        return lines;
    }
    if (settings.logName.isEmpty()) {
        lines.failure = QStringLiteral("в файле настроек %1 не указано имя журнала тестов")
                            .arg(Paths::display(settingsPath));
        return lines;
    }
    if (!AdminSettings::logNameStaysInside(settings.logName)) {
        lines.failure = CodePage::toUnicode(AdminSettings::logNameOutsideText(settings.logName));
        return lines;
    }
    const QString path = Paths::resolve(settings.logName);
    lines.shown = Paths::display(path);
    try {
        lines.text = TextFile::read(path);
    } catch (const RuntimeError &e) {
        lines.failure = QStringLiteral("журнал тестов %1: %2").arg(lines.shown, e.message());
        lines.missing = !QFileInfo::exists(path);
    }
    return lines;
}

ClassStore::Lines FolderStore::answerLines() const
{
    enter();
    return besideLog(&AnswerRecord::fileName, QStringLiteral("записи ответов"));
}

ClassStore::Lines FolderStore::changeLines() const
{
    enter();
    return besideLog(&GradeChange::fileName, QStringLiteral("изменения оценок"));
}

int FolderStore::recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes)
{
    enter();
    const QByteArray log = m_logName;
    if (log.isEmpty())
        throw RuntimeError(QStringLiteral("в настройках не назван журнал тестирования"));
    const QString ini = Store::writePath(Accounts::UsersIni);
    const FileLock lock(ini);
    QList<IniProfile::Entry> entries;
    for (const GradeWrite &w : writes) {
        // Checked under the lock: a run since may have stored its own.
        if (IniProfile::hasSection(ini, w.user) &&
            (w.expected < 0 || Accounts::readGrade(w.user, w.test) == w.expected))
            entries.append({w.user, Accounts::testKey(w.test), QByteArray::number(w.grade)});
    }
    if (!entries.isEmpty())
        IniProfile::checkWritable(ini);
    if (!lines.isEmpty())
        GradeChange::append(log, lines);
    if (!entries.isEmpty())
        Store::writeMany(entries, Accounts::UsersIni);
    return int(entries.size());
}

ClassSettings FolderStore::readSettings()
{
    const ClassSettings read = settings();
    m_logName = read.logName;
    return read;
}

ClassSettings FolderStore::settings() const
{
    enter();
    const AdminSettings read = AdminSettings::read();
    return {read.login, read.password, read.logName};
}

void FolderStore::writeSettings(const ClassSettings &settings)
{
    enter();
    AdminSettings written;
    written.login = settings.login;
    written.password = settings.password;
    written.logName = settings.logName;
    written.write();
}

QByteArray FolderStore::logNameRefusal(const QByteArray &logName) const
{
    enter();
    return AdminSettings::logNameStaysInside(logName) ? QByteArray()
                                                      : AdminSettings::logNameOutsideText(logName);
}

QStringList FolderStore::archive(const std::function<void(const QList<RecordCopy> &)> &keep)
{
    enter();
    // The settings must be readable: without them the log is not known.
    readSettings();
    const QStringList paths = recordFiles();
    // users.ini before users, as every writer takes them; then the rest.
    std::vector<std::unique_ptr<FileLock>> locks;
    for (const QString &path : paths)
        locks.push_back(std::make_unique<FileLock>(path));

    QStringList there;
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        if (!TextFile::canReplace(path))
            throw IoError::inOut(path, TextFile::diagnose(path, true));
        there.append(path);
    }
    QList<RecordCopy> copies;
    for (const QString &path : there)
        copies.append({QFileInfo(path).fileName(), TextFile::read(path)});
    keep(copies);

    QStringList emptied;
    for (const QString &path : there) {
        TextFile::replace(FolderBounds::recordPath(path), QByteArray());
        emptied.append(Paths::display(path));
    }
    return emptied;
}

QByteArray FolderStore::startRefusal(const QByteArray &testName) const
{
    enter();
    return TestFile::startRefusal(testName);
}

QString FolderStore::testFault(const QByteArray &testName) const
{
    enter();
    return TestFile::fault(testName);
}

std::unique_ptr<StoredTest> FolderStore::test(const QByteArray &testName) const
{
    enter();
    return std::make_unique<FolderTest>(TestFile(testName));
}

QByteArray FolderStore::testVersion(const QByteArray &testName) const
{
    enter();
    // The version names the file the run began with, so that the records of
    // a test corrected later are not taken for answers to the new questions.
    QByteArray data;
    if (FileRead::read(Paths::resolve(TestFile(testName).relativeName()), &data) != 0)
        data.clear();
    return AnswerRecord::versionOf(data);
}

std::shared_ptr<const StoredTest> FolderStore::testAsItStands(const QByteArray &testName,
                                                              QByteArray *version) const
{
    enter();
    const TestFile name(testName);
    QByteArray data;
    if (FileRead::read(Paths::resolve(name.relativeName()), &data) != 0)
        return nullptr;
    if (version)
        *version = AnswerRecord::versionOf(data);
    return std::make_shared<const FolderTest>(TestFile::ofBytes(name.relativeName(), data));
}

QString FolderStore::resolve(const QByteArray &storedName) const
{
    enter();
    return Paths::resolve(storedName);
}

QStringList FolderStore::recordFiles() const
{
    enter();
    QStringList paths{Paths::resolve(Accounts::UsersIni), Paths::resolve(UserList::FileName),
                      Paths::resolve(RemovedUsers::FileName)};
    const QByteArray log = m_logName;
    if (!log.isEmpty()) {
        paths.append(Paths::resolve(log));
        paths.append(Paths::resolve(AnswerRecord::fileName(log)));
        // The teacher's changes belong to the semester they were made in.
        paths.append(Paths::resolve(GradeChange::fileName(log)));
    }
    return paths;
}

QString FolderStore::settingsFile() const
{
    enter();
    return Paths::resolve(AdminSettings::FileName);
}

QString FolderStore::logFile() const
{
    return recordFile(Record::Log);
}

QString FolderStore::answerFile() const
{
    return recordFile(Record::Answers);
}

QString FolderStore::testFile(const QByteArray &testName) const
{
    return resolve(TestFile(testName).relativeName());
}

QString FolderStore::recordFile(Record record) const
{
    switch (record) {
    case Record::Users:
        return resolve(Accounts::UsersIni);
    case Record::List:
        return resolve(UserList::FileName);
    case Record::Removed:
        return resolve(RemovedUsers::FileName);
    case Record::Settings:
        return resolve(AdminSettings::FileName);
    case Record::Log:
        return m_logName.isEmpty() ? QString() : resolve(m_logName);
    case Record::Answers:
        return m_logName.isEmpty() ? QString() : resolve(AnswerRecord::fileName(m_logName));
    case Record::Changes:
        return m_logName.isEmpty() ? QString() : resolve(GradeChange::fileName(m_logName));
    }
    return {};
}

QByteArray FolderStore::recordBytes(Record record) const
{
    const QString path = recordFile(record);
    if (path.isEmpty())
        return {};
    const bool besideTheLog =
        record == Record::Log || record == Record::Answers || record == Record::Changes;
    if (besideTheLog && !AdminSettings::logNameStaysInside(m_logName))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(m_logName)));
    return QFileInfo::exists(path) ? TextFile::read(FolderBounds::readPath(path)) : QByteArray();
}

std::optional<QByteArray> FolderStore::testBytes(const QByteArray &testName) const
{
    const QString path = testFile(testName);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return TextFile::read(FolderBounds::readPath(path));
}

void FolderStore::writeRecord(Record record, const QByteArray &bytes)
{
    const QString path = recordFile(record);
    if (path.isEmpty())
        throw RuntimeError(QStringLiteral("в настройках не назван журнал тестирования"));
    writeWhole(path, bytes);
}

void FolderStore::makeFolders()
{
    makeFolderOf(recordFile(Record::Settings));
    makeFolderOf(testFile(ClassStore::testName(1)));
}

void FolderStore::writeTest(const QByteArray &testName, const QByteArray &bytes)
{
    writeWhole(testFile(testName), bytes);
}

void FolderStore::writeWhole(const QString &path, const QByteArray &bytes)
{
    TextFile::replace(makeFolderOf(path), bytes);
}

QString FolderStore::makeFolderOf(const QString &path)
{
    const QString at = FolderBounds::recordPath(path);
    if (!QDir().mkpath(QFileInfo(at).absolutePath()))
        throw RuntimeError(QStringLiteral("папка %1 не создана")
                               .arg(Paths::display(QFileInfo(at).absolutePath())));
    return at;
}
