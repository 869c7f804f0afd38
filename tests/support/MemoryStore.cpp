// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryStore.h"

#include "CodePage.h"
#include "IntegerText.h"
#include "RuntimeError.h"

#include <QCryptographicHash>

namespace {

// A test read through the store each time, as a run reads a file: a change
// to the store's test shows at the next read.
class LiveTest : public StoredTest
{
public:
    LiveTest(const MemoryStore &store, const QByteArray &name) : m_store(store), m_name(name) {}

    QByteArray question(int k) const override { return at(k, &MemoryStore::Question::text); }
    QByteArray answer(int k, int i) const override
    {
        const MemoryStore::Question *q = get(k);
        return q && i >= 1 && i <= 5 ? q->answers[i - 1] : m_store.missing();
    }
    QByteArray rightAnswer(int k) const override { return at(k, &MemoryStore::Question::right); }
    QByteArray countText() const override
    {
        return m_store.tests.contains(m_name) ? QByteArray::number(questions().size())
                                              : m_store.missing();
    }
    int count() const override { return IntegerText::parse(countText()); }

private:
    QList<MemoryStore::Question> questions() const { return m_store.tests.value(m_name); }
    const MemoryStore::Question *get(int k) const
    {
        const auto found = m_store.tests.constFind(m_name);
        return found != m_store.tests.constEnd() && k >= 1 && k <= found->size() ? &found->at(k - 1)
                                                                                 : nullptr;
    }
    QByteArray at(int k, QByteArray MemoryStore::Question::*field) const
    {
        const MemoryStore::Question *q = get(k);
        return q ? q->*field : m_store.missing();
    }

    const MemoryStore &m_store;
    QByteArray m_name;
};

QByteArray lineOf(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line;
    return text;
}

} // namespace

void MemoryStore::addUser(const QByteArray &name, const QByteArray &password,
                          const QList<QByteArray> &grades)
{
    User user{name, password, {}, {}};
    for (int k = 1; k <= TestCount; ++k)
        user.grades[k - 1] = k <= grades.size() ? grades[k - 1] : QByteArray(k == 1 ? "1" : "0");
    records.append(user);
    list.append(name);
}

qsizetype MemoryStore::find(const QByteArray &name) const
{
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (CodePage::equalsIgnoreCase(records[i].name, name))
            return i;
    }
    return -1;
}

Refusal MemoryStore::nameRefusal(const QByteArray &name, const QByteArray &adminLogin) const
{
    if (name.isEmpty())
        return Refusal::EmptyName;
    if (name.contains('[') || name.contains(']'))
        return Refusal::UnstorableName;
    if (!adminLogin.isEmpty() && name == adminLogin)
        return Refusal::AdministratorName;
    return Refusal::None;
}

ClassStore::Registration MemoryStore::registerUser(const QByteArray &name,
                                                   const QByteArray &password,
                                                   const QByteArray &adminLogin)
{
    Refusal refusal = nameRefusal(name, adminLogin);
    if (refusal == Refusal::None && find(name) >= 0)
        refusal = Refusal::AlreadyRegistered;
    if (refusal != Refusal::None)
        return {refusal, {}};
    addUser(name, password);
    return {Refusal::None, list};
}

std::optional<QByteArray> MemoryStore::storedPassword(const QByteArray &name) const
{
    const qsizetype i = find(name);
    return i < 0 ? std::nullopt : std::optional<QByteArray>(records[i].password);
}

QByteArray MemoryStore::gradeText(const QByteArray &name, int k) const
{
    const qsizetype i = find(name);
    return i < 0 || k < 1 || k > TestCount ? missing() : records[i].grades[k - 1];
}

quint8 MemoryStore::grade(const QByteArray &name, int k) const
{
    return quint8(IntegerText::parse(gradeText(name, k)) & 0xFF);
}

bool MemoryStore::writeScores(const QByteArray &name, const Scores &scores)
{
    const qsizetype i = find(name);
    if (i < 0)
        return false;
    for (int k = 1; k <= TestCount; ++k)
        records[i].grades[k - 1] = QByteArray::number(scores[k - 1]);
    return true;
}

QList<QByteArray> MemoryStore::removeUser(const QByteArray &name)
{
    if (const qsizetype i = find(name); i >= 0) {
        removed.append(records.takeAt(i));
        // To the second, as a removal's time is kept.
        removed.last().removedAt =
            QDateTime::currentDateTime().addMSecs(-QDateTime::currentDateTime().time().msec());
    }
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (CodePage::equalsIgnoreCase(list[i], name)) {
            list.removeAt(i);
            break;
        }
    }
    return list;
}

UserChange MemoryStore::setPassword(const QByteArray &name, const QByteArray &password)
{
    const qsizetype i = find(name);
    if (i < 0)
        return UserChange::failed(UserChange::Problem::NotRegistered);
    records[i].password = password;
    UserChange change;
    change.name = records[i].name;
    return change;
}

UserChange MemoryStore::rename(const QByteArray &from, const QByteArray &to,
                               const QByteArray &adminLogin)
{
    const qsizetype i = find(from);
    if (i < 0)
        return UserChange::failed(UserChange::Problem::NotRegistered);
    Refusal refusal = nameRefusal(to, adminLogin);
    if (refusal == Refusal::None && find(to) >= 0 && find(to) != i)
        refusal = Refusal::AlreadyRegistered;
    if (refusal != Refusal::None)
        return UserChange::refused(refusal);
    UserChange change;
    change.name = records[i].name;
    records[i].name = to;
    for (QByteArray &n : list) {
        if (CodePage::equalsIgnoreCase(n, change.name)) {
            n = to;
            break;
        }
    }
    const QByteArray sep = FieldSeparator.toByteArray();
    for (QByteArray &line : log) {
        if (CodePage::equalsIgnoreCase(line.left(change.name.size()), change.name) &&
            line.mid(change.name.size()).startsWith(sep)) {
            line = to + line.mid(change.name.size());
            ++change.logLines;
        }
    }
    for (FinishedRun &run : answers) {
        if (CodePage::equalsIgnoreCase(run.user, change.name)) {
            run.user = to;
            ++change.answerLines;
        }
    }
    return change;
}

UserChange MemoryStore::restore(const QByteArray &name, const QByteArray &adminLogin,
                                const QByteArray &when, UserChange::Over over)
{
    QList<qsizetype> picked;
    bool any = false;
    for (qsizetype i = 0; i < removed.size(); ++i) {
        if (!CodePage::equalsIgnoreCase(removed[i].name, name))
            continue;
        any = true;
        if (Removal{removed[i].removedAt, {}}.whenText().startsWith(when))
            picked.append(i);
    }
    if (!any)
        return UserChange::failed(UserChange::Problem::NothingKept);
    if (picked.isEmpty())
        return UserChange::failed(UserChange::Problem::NoSuchRemoval);
    if (picked.size() > 1)
        return UserChange::failed(UserChange::Problem::ManyKept);
    User user = removed[picked[0]];
    user.removedAt = QDateTime();
    if (!adminLogin.isEmpty() && CodePage::equalsIgnoreCase(user.name, adminLogin))
        return UserChange::refused(Refusal::AdministratorName);
    const qsizetype again = find(user.name);
    if (again >= 0 && over == UserChange::Over::Ask)
        return UserChange::failed(UserChange::Problem::RegisteredAgain);
    if (again >= 0 && over == UserChange::Over::KeepBest) {
        for (int k = 1; k <= RunTests; ++k) {
            if (user.grades[k - 1].toInt() > records[again].grades[k - 1].toInt())
                records[again].grades[k - 1] = user.grades[k - 1];
        }
    } else if (again >= 0) {
        removed.append(records[again]);
        removed.last().removedAt = QDateTime::currentDateTime();
        records[again] = user;
    } else {
        records.append(user);
    }
    if (!isListed(user.name))
        list.append(user.name);
    UserChange change;
    change.name = user.name;
    return change;
}

QList<ClassStore::Removal> MemoryStore::removals(const QByteArray &name) const
{
    QList<Removal> found;
    for (const User &user : removed) {
        if (!CodePage::equalsIgnoreCase(user.name, name))
            continue;
        QList<int> grades;
        for (int k = 1; k <= RunTests; ++k)
            grades.append(user.grades[k - 1].toInt());
        found.append({user.removedAt, grades});
    }
    return found;
}

bool MemoryStore::isRegistered(const QByteArray &name) const
{
    return find(name) >= 0;
}

QList<ClassStore::StoredUser> MemoryStore::userRecords() const
{
    QList<StoredUser> users;
    for (const User &user : records)
        users.append({user.name, user.grades});
    return users;
}

QByteArray MemoryStore::refusalText(Refusal refusal) const
{
    return "refused " + QByteArray::number(int(refusal));
}

QByteArray MemoryStore::answerLine(const FinishedRun &run)
{
    const QByteArray sep = FieldSeparator.toByteArray();
    return run.user + sep + run.when.toString(u"yyyy-MM-dd HH:mm:ss").toLatin1() + sep +
           run.testName + sep + QByteArray::number(run.grade) + sep + run.version + sep +
           run.chosen + sep + run.right + "\r\n";
}

QByteArray MemoryStore::appendRun(const FinishedRun &run)
{
    if (!m_logKept)
        throw RuntimeError(QStringLiteral("no log"));
    answers.append(run);
    const QByteArray sep = FieldSeparator.toByteArray();
    const QByteArray line = run.user + sep + run.when.toString(u"HH:mm:ss").toLatin1() + sep +
                            run.when.toString(u"dd.MM.yyyy").toLatin1() + sep + run.testName + sep +
                            QByteArray::number(run.grade) + "\r\n";
    log.append(line);
    return line;
}

QByteArray MemoryStore::logText() const
{
    if (!m_logKept)
        throw RuntimeError(QStringLiteral("no log"));
    return lineOf(log);
}

ClassStore::UsersInput MemoryStore::usersInput() const
{
    return {list, userRecords(), missing(), {}, {}};
}

ClassStore::Lines MemoryStore::logLines() const
{
    return {QStringLiteral("memory log"), QString(), false, lineOf(log)};
}

ClassStore::Lines MemoryStore::answerLines() const
{
    QByteArray text;
    for (const FinishedRun &run : answers)
        text += answerLine(run);
    return {QStringLiteral("memory answers"), QString(), answers.isEmpty(), text};
}

ClassStore::Lines MemoryStore::changeLines() const
{
    return {QStringLiteral("memory changes"), QString(), changes.isEmpty(), changes};
}

int MemoryStore::recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes)
{
    if (!m_logKept)
        throw RuntimeError(QStringLiteral("no log"));
    changes += lines;
    int stored = 0;
    for (const GradeWrite &w : writes) {
        const qsizetype i = find(w.user);
        if (i < 0 || (w.expected >= 0 && grade(w.user, w.test) != w.expected))
            continue;
        records[i].grades[w.test - 1] = QByteArray::number(w.grade);
        ++stored;
    }
    return stored;
}

ClassSettings MemoryStore::readSettings()
{
    const ClassSettings read = settings();
    m_logKept = true;
    return read;
}

ClassSettings MemoryStore::settings() const
{
    if (!stored)
        throw RuntimeError(QStringLiteral("no settings"));
    return *stored;
}

QStringList MemoryStore::archive(const std::function<void(const QList<RecordCopy> &)> &keep)
{
    QByteArray names;
    for (const QByteArray &name : list)
        names += name + "\r\n";
    keep({{QStringLiteral("users"), names}, {QStringLiteral("log"), lineOf(log)}});
    records.clear();
    list.clear();
    removed.clear();
    log.clear();
    answers.clear();
    return {QStringLiteral("users"), QStringLiteral("log")};
}

QByteArray MemoryStore::startRefusal(const QByteArray &testName) const
{
    return tests.value(testName).isEmpty() ? "no test " + testName : QByteArray();
}

QString MemoryStore::testFault(const QByteArray &testName) const
{
    return QString::fromLatin1(startRefusal(testName));
}

std::unique_ptr<StoredTest> MemoryStore::test(const QByteArray &testName) const
{
    return std::make_unique<LiveTest>(*this, testName);
}

QByteArray MemoryStore::testVersion(const QByteArray &testName) const
{
    QByteArray all;
    for (const Question &q : tests.value(testName))
        all += q.text + q.right + q.answers[0];
    return QCryptographicHash::hash(all, QCryptographicHash::Sha256).toHex().first(8);
}

std::shared_ptr<const StoredTest> MemoryStore::testAsItStands(const QByteArray &testName,
                                                              QByteArray *version) const
{
    if (!tests.contains(testName))
        return nullptr;
    if (version)
        *version = testVersion(testName);
    // A copy of the store holding only this test, read as it stands now.
    auto copy = std::make_shared<MemoryStore>();
    copy->tests.insert(testName, tests.value(testName));
    struct Held : LiveTest
    {
        Held(std::shared_ptr<MemoryStore> s, const QByteArray &n) : LiveTest(*s, n), store(s) {}
        std::shared_ptr<MemoryStore> store;
    };
    return std::make_shared<Held>(copy, testName);
}
