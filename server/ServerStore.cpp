// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerStore.h"

#include "AnswerRecord.h"
#include "ClassTransfer.h"
#include "CodePage.h"
#include "GradeChange.h"
#include "IniDocument.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestFile.h"
#include "TestLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iterator>

namespace {

const QByteArray UsersIniName = "users.ini";
const QByteArray UserListName = "users";
const QByteArray RemovedName = "removed-users.ini";

QString text(const QByteArray &bytes)
{
    return CodePage::toUnicode(bytes);
}

QByteArray bytes(const QVariant &value)
{
    return CodePage::fromUnicode(value.toString());
}

QList<QByteArray> gradeTexts(const QVariant &value)
{
    return value.toString().toLatin1().split(',');
}

// A test from the bytes the administrator published, answering every read as
// the folder's file would.
class PublishedTest : public StoredTest
{
public:
    PublishedTest(const QByteArray &testName, const QByteArray &file)
        : m_file(TestFile::ofBytes(TestFile(testName).relativeName(), file))
    {
    }

    QByteArray question(int k) const override { return m_file.question(k); }
    QByteArray answer(int k, int i) const override { return m_file.answer(k, i); }
    QByteArray rightAnswer(int k) const override { return m_file.rightAnswer(k); }
    QByteArray countText() const override { return m_file.countText(); }
    int count() const override { return m_file.count(); }

private:
    TestFile m_file;
};

int testNumber(const QByteArray &testName)
{
    return AnswerRecord::testNumber(testName);
}

} // namespace

ServerStore::ServerStore(const ServerAddress &address) : m_client(address) {}

ServerStore::~ServerStore()
{
    // The sessions end with the store rather than at their expiry.
    for (const QString *token : {&m_adminToken, &m_userToken}) {
        if (token->isEmpty())
            continue;
        try {
            m_client.logout(*token);
        } catch (...) {
            // A server gone takes the session with it at its expiry.
        }
    }
}

QString ServerStore::shown() const
{
    return QStringLiteral("сервере %1").arg(m_client.address().display());
}

Refusal ServerStore::refusalOf(const QString &code)
{
    static const Refusal byNumber[] = {
        Refusal::None,
        Refusal::EmptyName,
        Refusal::UnstorableName,
        Refusal::ForeignLetters,
        Refusal::AlreadyRegistered,
        Refusal::AdministratorName,
        Refusal::MissingMarkerPassword,
        Refusal::LongPassword,
        Refusal::ForeignPasswordLetters,
        Refusal::UnstorablePassword,
    };
    if (!code.startsWith(QLatin1String("CB")))
        return Refusal::None;
    const int n = code.mid(2).toInt();
    return n > 0 && n < int(std::size(byNumber)) ? byNumber[n] : Refusal::None;
}

void ServerStore::fail(const ServerClient::Refused &refused) const
{
    throw RuntimeError(refused.message());
}

QList<QVariantList> ServerStore::admin(const QString &sql, const QVariantList &values) const
{
    if (m_adminToken.isEmpty())
        throw RuntimeError(m_client.refusalText(QStringLiteral("CB012"), QString()));
    QVariantList bound{m_adminToken};
    bound.append(values);
    try {
        return m_client.rows(sql, bound);
    } catch (const ServerClient::Refused &refused) {
        // A session that expired or ended with a change of the settings.
        if (refused.code() == QLatin1String("CB012"))
            m_adminToken.clear();
        fail(refused);
    }
}

bool ServerStore::passwordMatches(const QByteArray &name, const QByteArray &password) const
{
    ServerClient::Login login;
    try {
        login = m_client.login(text(name), text(password));
    } catch (const ServerClient::Refused &refused) {
        if (refused.code() == QLatin1String("CB010"))
            return false;
        fail(refused);
    }
    QString &kept = login.administrator ? m_adminToken : m_userToken;
    if (!kept.isEmpty() && kept != login.token) {
        try {
            m_client.logout(kept);
        } catch (const ServerClient::Refused &) {
        }
    }
    kept = login.token;
    m_administratorLast = login.administrator;
    if (!login.administrator)
        m_user = CodePage::fromUnicode(login.storedName);
    return true;
}

ClassStore::Registration ServerStore::registerUser(const QByteArray &name,
                                                   const QByteArray &password, const QByteArray &)
{
    // The server's own administrator login decides, not the caller's copy.
    Registration result;
    try {
        m_client.registerUser(text(name), text(password));
    } catch (const ServerClient::Refused &refused) {
        result.refusal = refusalOf(refused.code());
        if (result.refusal == Refusal::None)
            fail(refused);
        return result;
    }
    // A student may not read the class's list; the administrator gets it.
    if (isAdministrator())
        result.list = users();
    return result;
}

std::optional<QByteArray> ServerStore::storedPassword(const QByteArray &) const
{
    return std::nullopt;
}

QList<QVariantList> ServerStore::listRows() const
{
    return admin(QStringLiteral("SELECT name, array_to_string(grades, ',') FROM cb.admin_list(?)"));
}

std::optional<QByteArray> ServerStore::storedName(const QByteArray &name) const
{
    for (const QVariantList &row : listRows()) {
        const QByteArray stored = bytes(row.at(0));
        if (CodePage::equalsIgnoreCase(stored, name))
            return stored;
    }
    return std::nullopt;
}

QByteArray ServerStore::gradeText(const QByteArray &name, int k) const
{
    if (k < 1 || k > TestCount)
        return missing();
    if (!m_userToken.isEmpty() && CodePage::equalsIgnoreCase(name, m_user)) {
        try {
            const QList<QVariantList> rows = m_client.rows(
                QStringLiteral("SELECT array_to_string(cb.grades(?), ',')"), {m_userToken});
            if (!rows.isEmpty())
                return gradeTexts(rows.at(0).at(0)).value(k - 1, missing());
        } catch (const ServerClient::Refused &refused) {
            if (refused.code() != QLatin1String("CB011") || !isAdministrator())
                fail(refused);
            m_userToken.clear();
        }
    }
    for (const QVariantList &row : listRows()) {
        if (CodePage::equalsIgnoreCase(bytes(row.at(0)), name))
            return gradeTexts(row.at(1)).value(k - 1, missing());
    }
    return missing();
}

quint8 ServerStore::grade(const QByteArray &name, int k) const
{
    const QByteArray stored = gradeText(name, k);
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (!ok)
        throw RuntimeError(QStringLiteral("'%1' is not a valid integer value").arg(text(stored)));
    return quint8(value & 0xFF);
}

QByteArray ServerStore::missing() const
{
    return Store::missing();
}

bool ServerStore::writeScores(const QByteArray &name, const Scores &scores)
{
    QStringList values;
    for (const quint8 score : scores)
        values.append(QString::number(score));
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT cb.admin_set_grades(?, ?, ?::smallint[])"),
              {text(name), QStringLiteral("{%1}").arg(values.join(u','))});
    return !rows.isEmpty() && rows.at(0).at(0).toBool();
}

QList<QByteArray> ServerStore::removeUser(const QByteArray &name)
{
    if (m_adminToken.isEmpty() && !m_administratorLast && !m_userToken.isEmpty() &&
        CodePage::fold(name) == CodePage::fold(m_user)) {
        try {
            m_client.rows(QStringLiteral("SELECT cb.remove_own(?)"), {m_userToken});
        } catch (const ServerClient::Refused &refused) {
            fail(refused);
        }
        // The server ended the session with the account.
        m_userToken.clear();
        m_user.clear();
        return {};
    }
    if (m_adminToken.isEmpty())
        admin(QString());
    try {
        m_client.rows(QStringLiteral("SELECT cb.admin_remove(?, ?)"), {m_adminToken, text(name)});
    } catch (const ServerClient::Refused &refused) {
        // Nobody of the name: nothing to remove, the list as it stands.
        if (refused.code() != QLatin1String("CB019"))
            fail(refused);
    }
    return users();
}

UserChange ServerStore::setPassword(const QByteArray &name, const QByteArray &password)
{
    const std::optional<QByteArray> stored = storedName(name);
    if (!stored)
        return UserChange::failed(UserChange::Problem::NotRegistered);
    try {
        m_client.rows(QStringLiteral("SELECT cb.admin_set_password(?, ?, ?)"),
                      {m_adminToken, text(*stored), text(password)});
    } catch (const ServerClient::Refused &refused) {
        if (refused.code() == QLatin1String("CB019"))
            return UserChange::failed(UserChange::Problem::NotRegistered);
        const Refusal refusal = refusalOf(refused.code());
        if (refusal == Refusal::None)
            fail(refused);
        return UserChange::refused(refusal);
    }
    UserChange change;
    change.name = *stored;
    return change;
}

UserChange ServerStore::rename(const QByteArray &from, const QByteArray &to, const QByteArray &)
{
    const std::optional<QByteArray> stored = storedName(from);
    if (!stored)
        return UserChange::failed(UserChange::Problem::NotRegistered);
    UserChange change;
    change.name = *stored;
    try {
        const QList<QVariantList> rows =
            m_client.rows(QStringLiteral("SELECT cb.admin_rename(?, ?, ?)"),
                          {m_adminToken, text(*stored), text(to)});
        change.logLines = rows.isEmpty() ? 0 : rows.at(0).at(0).toInt();
    } catch (const ServerClient::Refused &refused) {
        if (refused.code() == QLatin1String("CB019"))
            return UserChange::failed(UserChange::Problem::NotRegistered);
        const Refusal refusal = refusalOf(refused.code());
        if (refusal == Refusal::None)
            fail(refused);
        return UserChange::refused(refusal);
    }
    // The runs belong to the user, not to the name: every one follows.
    const QList<QVariantList> runs =
        admin(QStringLiteral("SELECT count(*) FROM cb.admin_answers(?) WHERE finished IS NOT NULL "
                             "AND user_name = ?"),
              {text(to)});
    change.answerLines = runs.isEmpty() ? 0 : runs.at(0).at(0).toInt();
    return change;
}

QList<std::pair<qint64, ClassStore::Removal>> ServerStore::removalRows(const QByteArray &name) const
{
    QList<std::pair<qint64, Removal>> found;
    for (const QVariantList &row :
         admin(QStringLiteral("SELECT removal, extract(epoch FROM removed)::bigint, "
                              "array_to_string(grades, ',') FROM cb.admin_removals(?, ?)"),
               {text(name)})) {
        Removal removal;
        removal.when = QDateTime::fromSecsSinceEpoch(row.at(1).toLongLong()).toLocalTime();
        const QList<QByteArray> grades = gradeTexts(row.at(2));
        for (int k = 1; k <= RunTests; ++k)
            removal.grades.append(grades.value(k - 1).toInt());
        found.append({row.at(0).toLongLong(), removal});
    }
    return found;
}

QList<ClassStore::Removal> ServerStore::removals(const QByteArray &name) const
{
    QList<Removal> found;
    for (const auto &row : removalRows(name))
        found.append(row.second);
    return found;
}

UserChange ServerStore::restore(const QByteArray &name, const QByteArray &,
                                const QByteArray &removed, UserChange::Over over)
{
    const QList<std::pair<qint64, Removal>> kept = removalRows(name);
    if (kept.isEmpty())
        return UserChange::failed(UserChange::Problem::NothingKept);
    QList<qint64> picked;
    for (const auto &row : kept) {
        if (row.second.whenText().startsWith(removed))
            picked.append(row.first);
    }
    if (picked.isEmpty())
        return UserChange::failed(UserChange::Problem::NoSuchRemoval);
    if (picked.size() > 1)
        return UserChange::failed(UserChange::Problem::ManyKept);
    const QString mode = over == UserChange::Over::Ask       ? QStringLiteral("ask")
                         : over == UserChange::Over::Replace ? QStringLiteral("replace")
                                                             : QStringLiteral("best");
    UserChange change;
    try {
        const QList<QVariantList> rows =
            m_client.rows(QStringLiteral("SELECT cb.admin_restore_removal(?, ?, ?)"),
                          {m_adminToken, picked[0], mode});
        change.name = rows.isEmpty() ? name : bytes(rows.at(0).at(0));
    } catch (const ServerClient::Refused &refused) {
        // Restored by another administrator meanwhile.
        if (refused.code() == QLatin1String("CB020"))
            return UserChange::failed(UserChange::Problem::NoSuchRemoval);
        if (refused.code() == QLatin1String("CB028"))
            return UserChange::failed(UserChange::Problem::RegisteredAgain);
        const Refusal refusal = refusalOf(refused.code());
        if (refusal == Refusal::None)
            fail(refused);
        return UserChange::refused(refusal);
    }
    return change;
}

bool ServerStore::isRegistered(const QByteArray &name) const
{
    if (!isAdministrator() && !m_userToken.isEmpty() && CodePage::equalsIgnoreCase(name, m_user))
        return true;
    return storedName(name).has_value();
}

QList<QByteArray> ServerStore::users() const
{
    QList<QByteArray> names;
    for (const QVariantList &row : listRows())
        names.append(bytes(row.at(0)));
    return names;
}

QList<ClassStore::StoredUser> ServerStore::userRecords() const
{
    QList<StoredUser> records;
    for (const QVariantList &row : listRows()) {
        StoredUser user;
        user.name = bytes(row.at(0));
        const QList<QByteArray> grades = gradeTexts(row.at(1));
        for (int k = 0; k < TestCount; ++k)
            user.grades[k] = grades.value(k, missing());
        records.append(user);
    }
    return records;
}

QByteArray ServerStore::refusalText(Refusal refusal) const
{
    QString cause;
    switch (refusal) {
    case Refusal::None:
        return QByteArray();
    case Refusal::EmptyName:
        cause = QStringLiteral("введите имя пользователя.");
        break;
    case Refusal::UnstorableName:
        cause = QStringLiteral("имя пользователя не может содержать квадратные скобки и "
                               "управляющие знаки и начинаться или заканчиваться пробелом.");
        break;
    case Refusal::ForeignLetters:
        cause = QStringLiteral("имя пользователя содержит знаки, которых нет в кодировке "
                               "Windows-1251. Используйте русские и латинские буквы, цифры и "
                               "обычные знаки.");
        break;
    case Refusal::AlreadyRegistered:
        cause = QStringLiteral("пользователь с таким именем уже зарегистрирован.");
        break;
    case Refusal::AdministratorName:
        cause = QStringLiteral("это имя занято администратором. Выберите другое имя.");
        break;
    case Refusal::MissingMarkerPassword:
        cause = QStringLiteral("пароль \"%1\" нельзя использовать: в папке класса он читается как "
                               "отсутствующий. Выберите другой пароль.")
                    .arg(text(Store::missing()));
        break;
    case Refusal::LongPassword:
        cause = QStringLiteral("пароль слишком длинный: в нём может быть не больше 2047 знаков.");
        break;
    case Refusal::ForeignPasswordLetters:
        cause = QStringLiteral("пароль содержит знаки, которых нет в кодировке Windows-1251. "
                               "Используйте русские и латинские буквы, цифры и обычные знаки.");
        break;
    case Refusal::UnstorablePassword:
        cause = QStringLiteral("пароль содержит управляющий знак. Выберите другой пароль.");
        break;
    }
    return CodePage::fromUnicode(
        QStringLiteral("Сервер %1: %2").arg(m_client.address().display(), cause));
}

QByteArray ServerStore::appendRun(const FinishedRun &)
{
    throw RuntimeError(QStringLiteral("Сервер %1: тест проходят через сервер, он сам оценивает "
                                      "и записывает прохождение; готовое прохождение он не "
                                      "принимает.")
                           .arg(m_client.address().display()));
}

QByteArray ServerStore::logBytes() const
{
    QByteArray log;
    for (const QVariantList &row :
         admin(QStringLiteral("SELECT user_name, extract(epoch FROM at)::bigint, test, grade, "
                              "imported_line FROM cb.admin_log(?)"))) {
        // A line brought in from a folder stays as it was.
        if (!row.at(4).isNull()) {
            log += row.at(4).toByteArray();
            continue;
        }
        // A line brought in without its end must not run into the next.
        if (!log.isEmpty() && !log.endsWith('\n') && !log.endsWith('\r'))
            log += "\r\n";
        log += TestLog::line(bytes(row.at(0)),
                             QDateTime::fromSecsSinceEpoch(row.at(1).toLongLong()).toLocalTime(),
                             testName(row.at(2).toInt()), row.at(3).toInt());
    }
    return log;
}

QByteArray ServerStore::answerBytes() const
{
    QByteArray record;
    for (const QVariantList &row : admin(QStringLiteral(
             "SELECT user_name, test, digest, extract(epoch FROM finished)::bigint, grade, chosen, "
             "right_digits FROM cb.admin_answers(?) WITH ORDINALITY a "
             "WHERE finished IS NOT NULL ORDER BY finished, ordinality"))) {
        AnswerRecord line;
        line.chosen = row.at(5).toString().toLatin1();
        // A run closed by the next start before every answer has its log
        // line; the answer record holds whole runs only, as a folder's does.
        if (line.chosen.contains('0'))
            continue;
        line.user = bytes(row.at(0));
        const QDateTime when = QDateTime::fromSecsSinceEpoch(row.at(3).toLongLong()).toLocalTime();
        line.date = when.date();
        line.time = when.time();
        line.testName = testName(row.at(1).toInt());
        line.grade = row.at(4).toInt();
        line.version = row.at(2).toString().toLatin1();
        line.right = row.at(6).toString().toLatin1();
        record += line.line();
    }
    return record;
}

QByteArray ServerStore::logText() const
{
    return logBytes();
}

ClassStore::UsersInput ServerStore::usersInput() const
{
    UsersInput input;
    input.missing = missing();
    try {
        input.records = userRecords();
        for (const StoredUser &user : input.records)
            input.list.append(user.name);
    } catch (const RuntimeError &e) {
        input.failures.append(QStringLiteral("пользователи на %1: %2").arg(shown(), e.message()));
    }
    return input;
}

// A record's lines for the report, which never throws: a failure is its text.
template <typename Read> ClassStore::Lines linesOf(const QString &shown, Read read)
{
    ClassStore::Lines lines;
    lines.shown = shown;
    try {
        lines.text = read();
        lines.missing = lines.text.isEmpty();
    } catch (const RuntimeError &e) {
        lines.failure = e.message();
    }
    return lines;
}

ClassStore::Lines ServerStore::logLines() const
{
    return linesOf(QStringLiteral("журнал тестов на %1").arg(shown()),
                   [this] { return logBytes(); });
}

ClassStore::Lines ServerStore::answerLines() const
{
    return linesOf(QStringLiteral("записи ответов на %1").arg(shown()),
                   [this] { return answerBytes(); });
}

QByteArray ServerStore::changeBytes() const
{
    QByteArray record;
    for (const QVariantList &row : admin(QStringLiteral("SELECT cb.admin_change_lines(?)")))
        record += bytes(row.at(0)) + "\r\n";
    return record;
}

ClassStore::Lines ServerStore::changeLines() const
{
    return linesOf(QStringLiteral("изменения оценок на %1").arg(shown()),
                   [this] { return changeBytes(); });
}

int ServerStore::recordGradeChanges(const QByteArray &lines, const QList<GradeWrite> &writes)
{
    QJsonArray lineList;
    for (QByteArray line : lines.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lineList.append(text(line));
    }
    QJsonArray writeList;
    for (const GradeWrite &w : writes) {
        writeList.append(QJsonObject{{QStringLiteral("user"), text(w.user)},
                                     {QStringLiteral("test"), w.test},
                                     {QStringLiteral("expected"), w.expected},
                                     {QStringLiteral("grade"), w.grade}});
    }
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT cb.admin_record_grade_changes(?, ?::jsonb, ?::jsonb)"),
              {QString::fromUtf8(QJsonDocument(lineList).toJson(QJsonDocument::Compact)),
               QString::fromUtf8(QJsonDocument(writeList).toJson(QJsonDocument::Compact))});
    return rows.isEmpty() ? 0 : rows.at(0).at(0).toInt();
}

ClassSettings ServerStore::readSettings()
{
    const ClassSettings read = settings();
    m_keptLog = read.logName;
    return read;
}

ClassSettings ServerStore::settings() const
{
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT admin_login, log_name FROM cb.admin_settings(?)"));
    ClassSettings read;
    if (!rows.isEmpty()) {
        read.login = bytes(rows.at(0).at(0));
        read.logName = bytes(rows.at(0).at(1));
    }
    return read;
}

void ServerStore::writeSettings(const ClassSettings &settings)
{
    const QVariant password = settings.password.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                                          : QVariant(text(settings.password));
    admin(QStringLiteral("SELECT cb.admin_set_settings(?, ?, ?, ?)"),
          {text(settings.login), password, text(settings.logName)});
    // A new login or password ends the administrator's sessions: this one
    // logs in again with what it just wrote.
    if (!settings.password.isEmpty()) {
        m_adminToken.clear();
        passwordMatches(settings.login, settings.password);
    } else {
        try {
            m_client.rows(QStringLiteral("SELECT cb.admin_settings(?)"), {m_adminToken});
        } catch (const ServerClient::Refused &) {
            m_adminToken.clear();
        }
    }
}

QByteArray ServerStore::logNameRefusal(const QByteArray &logName) const
{
    for (const char c : logName) {
        if (c == '|' || (uchar(c) < 0x20 && c != 0))
            return CodePage::fromUnicode(
                QStringLiteral("Сервер %1: в имени журнала не может быть знака «|» и "
                               "управляющих знаков.")
                    .arg(m_client.address().display()));
    }
    return QByteArray();
}

QList<ClassStore::RecordCopy>
ServerStore::recordCopies(const QHash<QByteArray, QByteArray> &passwords) const
{
    QList<RecordCopy> copies;
    IniDocument usersIni{QByteArray()};
    QByteArray list;
    for (const StoredUser &user : userRecords()) {
        const auto password = passwords.constFind(CodePage::fold(user.name));
        if (password != passwords.constEnd())
            usersIni.setValue(user.name, "password", Store::encode(*password));
        for (int k = 1; k <= TestCount; ++k)
            usersIni.setValue(user.name, testName(k), Store::encode(user.grades[k - 1]));
        list += user.name + "\r\n";
    }
    copies.append({text(UsersIniName), usersIni.toByteArray()});
    copies.append({text(UserListName), list});

    QByteArray removed;
    for (const QVariantList &row :
         admin(QStringLiteral("SELECT name, array_to_string(grades, ','), "
                              "extract(epoch FROM removed)::bigint FROM cb.admin_users(?) "
                              "WHERE removed IS NOT NULL ORDER BY removed"))) {
        const QByteArray name = bytes(row.at(0));
        IniDocument section{QByteArray()};
        const QList<QByteArray> grades = gradeTexts(row.at(1));
        for (int k = 1; k <= TestCount; ++k)
            section.setValue(name, testName(k), Store::encode(grades.value(k - 1)));
        const QDateTime when = QDateTime::fromSecsSinceEpoch(row.at(2).toLongLong()).toLocalTime();
        removed += "; " + CodePage::fromUnicode(QStringLiteral("удалён ")) +
                   when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + "\r\n" +
                   section.toByteArray();
    }
    if (!removed.isEmpty())
        copies.append({text(RemovedName), removed});

    const QByteArray logName = settings().logName;
    if (!logName.isEmpty()) {
        const auto leaf = [](const QByteArray &name) {
            const qsizetype cut = std::max(name.lastIndexOf('\\'), name.lastIndexOf('/'));
            return CodePage::toUnicode(name.mid(cut + 1));
        };
        copies.append({leaf(logName), logBytes()});
        copies.append({leaf(AnswerRecord::fileName(logName)), answerBytes()});
        if (const QByteArray changes = changeBytes(); !changes.isEmpty())
            copies.append({leaf(GradeChange::fileName(logName)), changes});
    }
    return copies;
}

QStringList ServerStore::archive(const std::function<void(const QList<RecordCopy> &)> &keep)
{
    // The copies and the emptying are separate calls: the emptying is
    // refused when a registration, a run or a change came between them.
    const QList<QVariantList> digest = admin(QStringLiteral("SELECT cb.admin_records_digest(?)"));
    const QList<RecordCopy> copies = recordCopies();
    keep(copies);
    admin(QStringLiteral("SELECT cb.admin_new_semester(?, ?)"),
          {digest.isEmpty() ? QVariant() : digest.at(0).at(0)});
    return {
        QStringLiteral("пользователи, оценки, журнал тестов и записи ответов на %1").arg(shown())};
}

std::optional<ServerStore::Published> ServerStore::published(const QByteArray &testName) const
{
    const int number = testNumber(testName);
    if (number < 1)
        return std::nullopt;
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT digest, file, version IS NOT NULL FROM cb.admin_tests(?) "
                             "WHERE test = ?"),
              {number});
    if (rows.isEmpty())
        return std::nullopt;
    Published p;
    p.test = number;
    p.digest = rows.at(0).at(0).toString().toLatin1();
    p.file = rows.at(0).at(1).toByteArray();
    p.published = rows.at(0).at(2).toBool();
    return p;
}

QByteArray ServerStore::startRefusal(const QByteArray &testName) const
{
    const std::optional<Published> p = published(testName);
    if (p && p->published)
        return QByteArray();
    return CodePage::fromUnicode(m_client.refusalText(QStringLiteral("CB013"), QString()));
}

QString ServerStore::testFault(const QByteArray &testName) const
{
    return CodePage::toUnicode(startRefusal(testName));
}

std::unique_ptr<StoredTest> ServerStore::test(const QByteArray &testName) const
{
    const std::optional<Published> p = published(testName);
    return std::make_unique<PublishedTest>(testName, p ? p->file : QByteArray());
}

QByteArray ServerStore::testVersion(const QByteArray &testName) const
{
    const std::optional<Published> p = published(testName);
    return p && p->published ? p->digest : AnswerRecord::versionOf(QByteArray());
}

std::shared_ptr<const StoredTest> ServerStore::testAsItStands(const QByteArray &testName,
                                                              QByteArray *version) const
{
    const std::optional<Published> p = published(testName);
    if (!p || !p->published)
        return nullptr;
    if (version)
        *version = p->digest;
    return std::make_shared<const PublishedTest>(testName, p->file);
}

int ServerStore::publish(const QByteArray &testName, const QByteArray &file)
{
    const int number = testNumber(testName);
    const QJsonArray questions = ClassTransfer::questions(testName, file);
    if (number < 1 || questions.isEmpty())
        throw RuntimeError(m_client.refusalText(QStringLiteral("CB022"), QString()));
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT cb.admin_publish(?, ?::smallint, ?, ?, ?::jsonb)"),
              {number, file, QString::fromLatin1(AnswerRecord::versionOf(file)),
               QString::fromUtf8(QJsonDocument(questions).toJson(QJsonDocument::Compact))});
    return rows.isEmpty() ? 0 : rows.at(0).at(0).toInt();
}

std::optional<QByteArray> ServerStore::publishedFile(const QByteArray &testName) const
{
    const std::optional<Published> p = published(testName);
    if (!p || !p->published)
        return std::nullopt;
    return p->file;
}

ServerStore::Limits ServerStore::limits(const QByteArray &testName) const
{
    const QList<QVariantList> rows =
        admin(QStringLiteral("SELECT attempt_limit, min_pause_seconds FROM cb.admin_tests(?) "
                             "WHERE test = ?"),
              {testNumber(testName)});
    Limits limits;
    if (!rows.isEmpty()) {
        if (!rows.at(0).at(0).isNull())
            limits.attempts = rows.at(0).at(0).toInt();
        if (!rows.at(0).at(1).isNull())
            limits.pauseSeconds = rows.at(0).at(1).toInt();
    }
    return limits;
}

void ServerStore::setLimits(const QByteArray &testName, const Limits &limits)
{
    const auto value = [](const std::optional<int> &v) {
        return v ? QVariant(*v) : QVariant(QMetaType::fromType<int>());
    };
    admin(QStringLiteral("SELECT cb.admin_set_limits(?, ?::smallint, ?::integer, ?::integer)"),
          {testNumber(testName), value(limits.attempts), value(limits.pauseSeconds)});
}
