// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerClient.h"

#include "CodePage.h"
#include "RuntimeError.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

const QString RunColumns = QStringLiteral(
    "SELECT run, test, version, number, question, answers[1], answers[2], answers[3], "
    "answers[4], answers[5], coalesce(chosen, 0) FROM ");

Accounts::Scores scores(const QVariant &value)
{
    Accounts::Scores result{};
    const QStringList parts = value.toString().split(u',', Qt::SkipEmptyParts);
    for (int k = 0; k < Accounts::TestCount && k < parts.size(); ++k)
        result[k] = quint8(parts.at(k).toInt());
    return result;
}

ServerClient::Run runOf(const QList<QVariantList> &rows)
{
    ServerClient::Run run;
    for (const QVariantList &row : rows) {
        run.id = row.at(0).toLongLong();
        run.test = row.at(1).toInt();
        run.version = row.at(2).toInt();
        run.questions.append({row.at(3).toInt(),
                              row.at(4).toString(),
                              {row.at(5).toString(), row.at(6).toString(), row.at(7).toString(),
                               row.at(8).toString(), row.at(9).toString()},
                              row.at(10).toInt()});
    }
    return run;
}

QString accountsText(Accounts::Refusal refusal)
{
    return CodePage::toUnicode(Accounts::refusalText(refusal));
}

// A failure without the server's answer, or one that says the connection
// went: the call may be made again on a new connection.
bool connectionLost(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code.isEmpty() || code.startsWith(QLatin1String("08")) ||
           code == QLatin1String("57P01") || code == QLatin1String("57P02") ||
           code == QLatin1String("57P03");
}

QString detailOf(const QString &text)
{
    for (const QString &line : text.split(u'\n')) {
        if (line.startsWith(QLatin1String("DETAIL:")))
            return line.mid(7).trimmed();
    }
    return QString();
}

} // namespace

ServerClient::ServerClient(const ServerAddress &address) : m_address(address)
{
    // The program holds this code twice, in itself and in the windows'
    // module, each copy with a counter of its own, while the driver's list of
    // connections is one: a name made of a counter alone is taken twice, and
    // the second connection disables the first. No two live clients share an
    // address.
    static QAtomicInt counter;
    m_connectionName = QStringLiteral("coursebook-server-%1-%2")
                           .arg(quintptr(this), 0, 16)
                           .arg(counter.fetchAndAddRelaxed(1));
    m_db = m_address.connection(m_connectionName);
}

ServerClient::~ServerClient()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void ServerClient::open()
{
    m_db.close();
    if (!m_db.open())
        throw Lost(QStringLiteral("Сервер %1 недоступен: %2")
                       .arg(m_address.display(), cause(m_db.lastError())));
}

QString ServerClient::cause(const QSqlError &error)
{
    return error.databaseText().simplified();
}

QString ServerClient::refusalText(const QString &code, const QString &detail) const
{
    using R = Accounts::Refusal;
    const int n = code.mid(2).toInt();
    QString cause;
    switch (n) {
    case 0:
        cause = QStringLiteral("вызов внутри чужой транзакции не принят");
        break;
    case 1:
        cause = accountsText(R::EmptyName);
        break;
    case 2:
        cause = accountsText(R::UnstorableName);
        break;
    case 3:
        cause = accountsText(R::ForeignLetters);
        break;
    case 4:
        cause = accountsText(R::AlreadyRegistered);
        break;
    case 5:
        cause = accountsText(R::AdministratorName);
        break;
    case 6:
        cause = accountsText(R::MissingMarkerPassword);
        break;
    case 7:
        cause = accountsText(R::LongPassword);
        break;
    case 8:
        cause = accountsText(R::ForeignPasswordLetters);
        break;
    case 9:
        cause = accountsText(R::UnstorablePassword);
        break;
    case 10:
        cause = QStringLiteral("Проверьте правильность имени и пароля!");
        break;
    case 11:
        cause = QStringLiteral("сеанс закончился; войдите снова.");
        break;
    case 12:
        cause = QStringLiteral("нужен вход администратора.");
        break;
    case 13:
        cause = QStringLiteral("этот тест на сервере не опубликован.");
        break;
    case 14:
        cause = QStringLiteral("попыток этого теста больше нет (разрешено %1).").arg(detail);
        break;
    case 15:
        cause = QStringLiteral("следующая попытка этого теста возможна через %1 с.").arg(detail);
        break;
    case 16:
        cause = QStringLiteral("это прохождение теста уже закончено или начато не вами.");
        break;
    case 17:
        cause = QStringLiteral("на этот вопрос уже дан другой ответ (%1).").arg(detail);
        break;
    case 18:
        cause = QStringLiteral("такого вопроса или ответа в тесте нет.");
        break;
    case 19:
        cause = QStringLiteral("такой пользователь не зарегистрирован.");
        break;
    case 20:
        cause = QStringLiteral("удалённого пользователя с таким именем нет.");
        break;
    case 21:
        cause = QStringLiteral("настройки не приняты (%1).").arg(detail);
        break;
    case 22:
        cause = QStringLiteral("тест не принят: номер не от 1 до 10 или в нём нет вопросов.");
        break;
    case 23:
        cause = QStringLiteral("ответы даны не на все вопросы.");
        break;
    case 24:
        cause = QStringLiteral("оценки не приняты: нужно двенадцать чисел от 0 до 255.");
        break;
    case 25:
        cause = QStringLiteral("записи класса изменились, пока их копировали в архив; ничего не "
                               "удалено, повторите архивирование.");
        break;
    case 26:
        cause = QStringLiteral("класс на сервере не пуст; записи папки переносятся только в "
                               "новый класс.");
        break;
    case 27:
        cause = QStringLiteral("запись не принята: %1; ничего не перенесено.").arg(detail);
        break;
    case 28:
        cause = QStringLiteral("пользователь с этим именем зарегистрирован снова.");
        break;
    case 29:
        cause = QStringLiteral("изменение оценок не принято (%1).").arg(detail);
        break;
    default:
        cause = QStringLiteral("отказ %1.").arg(code);
        break;
    }
    return QStringLiteral("Сервер %1: %2").arg(m_address.display(), cause);
}

QList<QVariantList> ServerClient::call(const QString &sql, const QVariantList &values, bool repeat)
{
    for (int attempt = 0;; ++attempt) {
        if (!m_db.isOpen())
            open();
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        bool done = query.prepare(sql);
        if (done) {
            for (const QVariant &v : values)
                query.addBindValue(v);
            done = query.exec();
        }
        if (done) {
            QList<QVariantList> result;
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.append(query.value(i));
                result.append(row);
            }
            return result;
        }
        const QSqlError error = query.lastError();
        const QString code = error.nativeErrorCode();
        if (code.startsWith(QLatin1String("CB")))
            throw Refused(code, refusalText(code, detailOf(error.databaseText())),
                          detailOf(error.databaseText()));
        if (connectionLost(error)) {
            m_db.close();
            if (repeat && attempt == 0)
                continue;
            throw Lost(QStringLiteral("Сервер %1: связь потеряна: %2")
                           .arg(m_address.display(), cause(error)));
        }
        throw RuntimeError(QStringLiteral("Сервер %1: %2").arg(m_address.display(), cause(error)));
    }
}

QList<QVariantList> ServerClient::rows(const QString &sql, const QVariantList &values)
{
    return call(sql, values, true);
}

void ServerClient::registerUser(const QString &name, const QString &password)
{
    try {
        call(QStringLiteral("SELECT cb.register(?, ?)"), {name, password}, false);
        return;
    } catch (const Refused &) {
        throw;
    } catch (const RuntimeError &) {
        if (m_db.isOpen())
            throw;
    }
    // The reply was lost: the registration may have landed. The name taken
    // with this very password is this registration.
    try {
        call(QStringLiteral("SELECT cb.register(?, ?)"), {name, password}, false);
    } catch (const Refused &refused) {
        if (refused.code() != QLatin1String("CB004"))
            throw;
        try {
            const Login l = login(name, password);
            logout(l.token);
        } catch (const Refused &) {
            throw refused;
        }
    }
}

ServerClient::Login ServerClient::login(const QString &name, const QString &password)
{
    const QList<QVariantList> result = call(
        QStringLiteral("SELECT token, administrator, stored_name, array_to_string(grades, ',') "
                       "FROM cb.login(?, ?)"),
        {name, password}, true);
    Login login;
    if (result.isEmpty())
        return login;
    login.token = result.at(0).at(0).toString();
    login.administrator = result.at(0).at(1).toBool();
    login.storedName = result.at(0).at(2).toString();
    login.grades = scores(result.at(0).at(3));
    return login;
}

void ServerClient::logout(const QString &token)
{
    call(QStringLiteral("SELECT cb.logout(?)"), {token}, true);
}

Accounts::Scores ServerClient::grades(const QString &token)
{
    const QList<QVariantList> result =
        call(QStringLiteral("SELECT array_to_string(cb.grades(?), ',')"), {token}, true);
    return result.isEmpty() ? Accounts::Scores{} : scores(result.at(0).at(0));
}

ServerClient::Run ServerClient::startRun(const QString &token, int test)
{
    const QString sql = RunColumns + QStringLiteral("cb.start_run(?, ?::smallint)");
    try {
        return runOf(call(sql, {token, test}, false));
    } catch (const Refused &) {
        throw;
    } catch (const RuntimeError &) {
        if (m_db.isOpen())
            throw;
    }
    // A start whose reply was lost left its run open and unanswered; a new
    // start would grade it as a run of wrong answers.
    const std::optional<Run> open = openRun(token);
    if (open && open->test == test &&
        std::all_of(open->questions.begin(), open->questions.end(),
                    [](const Question &q) { return q.chosen == 0; }))
        return *open;
    return runOf(call(sql, {token, test}, false));
}

std::optional<ServerClient::Run> ServerClient::openRun(const QString &token)
{
    const QList<QVariantList> result =
        call(RunColumns + QStringLiteral("cb.open_run(?)"), {token}, true);
    if (result.isEmpty())
        return std::nullopt;
    return runOf(result);
}

void ServerClient::answer(const QString &token, qint64 run, int number, int digit)
{
    call(QStringLiteral("SELECT cb.answer(?, ?, ?, ?::smallint)"), {token, run, number, digit},
         true);
}

ServerClient::Result ServerClient::finishRun(const QString &token, qint64 run)
{
    const QList<QVariantList> result = call(
        QStringLiteral("SELECT grade, right_count, question_count, array_to_string(grades, ',') "
                       "FROM cb.finish_run(?, ?)"),
        {token, run}, true);
    Result r;
    if (result.isEmpty())
        return r;
    r.grade = result.at(0).at(0).toInt();
    r.rightCount = result.at(0).at(1).toInt();
    r.questionCount = result.at(0).at(2).toInt();
    r.grades = scores(result.at(0).at(3));
    return r;
}

QList<ServerClient::Reviewed> ServerClient::review(const QString &token, qint64 run)
{
    QList<Reviewed> items;
    for (const QVariantList &row :
         call(QStringLiteral("SELECT number, chosen, is_right FROM cb.run_review(?, ?)"),
              {token, run}, true))
        items.append({row.at(0).toInt(), row.at(1).toInt(), row.at(2).toBool()});
    return items;
}

QList<ServerClient::Availability> ServerClient::availability(const QString &token)
{
    QList<Availability> items;
    for (const QVariantList &row :
         call(QStringLiteral("SELECT test, attempts_left, wait_seconds FROM "
                             "cb.test_availability(?)"),
              {token}, true))
        items.append(
            {row.at(0).toInt(), row.at(1).isNull() ? -1 : row.at(1).toInt(), row.at(2).toInt()});
    return items;
}
