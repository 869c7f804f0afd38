// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerRun.h"

#include "CodePage.h"

#include <QLocale>

#include <algorithm>

namespace {

int firstUnanswered(const ServerClient::Run &run)
{
    for (const ServerClient::Question &q : run.questions) {
        if (q.chosen == 0)
            return q.number;
    }
    return int(run.questions.size()) + 1;
}

// The time the seconds from now end at: the day named only when it is
// not today's.
QString timeAfter(const QDateTime &now, qint64 seconds)
{
    const QDateTime when = now.addSecs(seconds);
    if (when.date() == now.date())
        return when.toString(QStringLiteral("HH:mm"));
    return QLocale(QLocale::Russian, QLocale::Russia)
        .toString(when, QStringLiteral("d MMMM HH:mm"));
}

} // namespace

ServerRun::ServerRun(const ServerAddress &address, const QString &token, QObject *parent)
    : RunSource(parent), m_address(address), m_token(token)
{
    m_thread.setObjectName(QStringLiteral("coursebook-server-run"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    // The connection belongs to the thread that made it and goes with it.
    connect(
        &m_thread, &QThread::finished, m_worker, [this] { m_client.reset(); },
        Qt::DirectConnection);
    m_thread.start();
    m_waitTimer.setSingleShot(true);
    m_waitTimer.setInterval(WaitShownAfterMs);
    connect(&m_waitTimer, &QTimer::timeout, this, [this] {
        if (m_inFlight > 0 && !m_waitShown) {
            m_waitShown = true;
            emit waiting(true);
        }
    });
}

ServerRun::~ServerRun()
{
    m_stopping = true;
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void ServerRun::post(Call call, RefusalHandler onRefused)
{
    ++m_inFlight;
    if (!m_waitShown && !m_waitTimer.isActive())
        m_waitTimer.start();
    QMetaObject::invokeMethod(
        m_worker,
        [this, call = std::move(call), onRefused = std::move(onRefused)] {
            std::function<void()> then;
            bool lostTold = false;
            for (int attempt = 0; !m_stopping; ++attempt) {
                try {
                    if (!m_client)
                        m_client = std::make_unique<ServerClient>(m_address);
                    then = call(*m_client, attempt);
                } catch (const ServerClient::Lost &lost) {
                    if (!lostTold) {
                        lostTold = true;
                        const QString text = lost.message();
                        QMetaObject::invokeMethod(this, [this, text] {
                            if (!m_lost) {
                                m_lost = true;
                                if (!m_pending.isEmpty())
                                    keepPending();
                                emit connectionLost(text);
                            }
                        });
                    }
                    for (int slept = 0; slept < RetryMs && !m_stopping; slept += 50)
                        QThread::msleep(50);
                    continue;
                } catch (const ServerClient::Refused &refused) {
                    then = [onRefused, refused] { onRefused(refused); };
                } catch (const RuntimeError &error) {
                    const QString text = error.message();
                    then = [this, text] {
                        m_over = true;
                        emit failed(text);
                    };
                }
                break;
            }
            if (m_stopping)
                return;
            QMetaObject::invokeMethod(this, [this, then = std::move(then)] {
                if (m_lost) {
                    m_lost = false;
                    emit connectionBack();
                }
                callDone();
                then();
            });
        },
        Qt::QueuedConnection);
}

void ServerRun::callDone()
{
    if (--m_inFlight > 0)
        return;
    m_waitTimer.stop();
    if (m_waitShown) {
        m_waitShown = false;
        emit waiting(false);
    }
}

void ServerRun::refuse(const QString &text)
{
    m_over = true;
    m_pending.clear();
    keepPending();
    emit refused(text);
}

void ServerRun::keepPending()
{
    const UnsentAnswers file(m_unsentFolder, m_address.display(), m_runId);
    if (m_pending.isEmpty()) {
        if (m_kept)
            file.remove();
        m_kept = false;
        return;
    }
    // Where they cannot be kept they are still held here, as before.
    m_kept = file.write(m_pending) || m_kept;
}

QString ServerRun::startRefusalText(const ServerClient::Refused &refused, const QDateTime &now)
{
    if (refused.code() == QLatin1String("CB015")) {
        return refused.message() +
               QStringLiteral(" Тест можно будет пройти снова в %1.")
                   .arg(timeAfter(now, std::max(1LL, refused.detail().toLongLong())));
    }
    if (refused.code() == QLatin1String("CB014"))
        return refused.message() +
               QStringLiteral(" Пройти тест снова можно, только если преподаватель разрешит "
                              "больше попыток.");
    return refused.message();
}

void ServerRun::start(const QByteArray &testName)
{
    const int test = testName.startsWith("test") ? testName.mid(4).toInt() : 0;
    if (test < 1 || test > Accounts::TestCount) {
        refuse(QStringLiteral("Сервер %1: теста %2 нет.")
                   .arg(m_address.display(), CodePage::toUnicode(testName)));
        return;
    }
    const QString token = m_token;
    post(
        [this, token, test](ServerClient &client, int attempt) -> std::function<void()> {
            // A start tried again after a lost connection may have begun
            // the run already: a new start would grade that one as wrong.
            if (attempt > 0) {
                const std::optional<ServerClient::Run> open = client.openRun(token);
                if (open && open->test == test && firstUnanswered(*open) == 1)
                    return [this, run = *open] {
                        adopt(run);
                        emit started();
                    };
            }
            const ServerClient::Run run = client.startRun(token, test);
            return [this, run] {
                adopt(run);
                emit started();
            };
        },
        [this](const ServerClient::Refused &refused) {
            refuse(startRefusalText(refused, QDateTime::currentDateTime()));
        });
}

void ServerRun::adopt(const ServerClient::Run &run)
{
    m_found.reset();
    m_runId = run.id;
    m_test = run.test;
    m_items.clear();
    for (const ServerClient::Question &q : run.questions) {
        Item item;
        item.question = CodePage::fromUnicode(q.question);
        for (int i = 0; i < TestRun::AnswerCount && i < q.answers.size(); ++i)
            item.answers[i] = CodePage::fromUnicode(q.answers.at(i));
        item.chosen = q.chosen;
        m_items.append(item);
    }
    m_current = firstUnanswered(run);
    m_pending.clear();
    m_kept = false;
    m_grade = 0;
    m_rightCount = 0;
    m_mistakes.clear();
    m_over = m_items.isEmpty();
    if (!m_over && m_current > m_items.size())
        finish();
}

void ServerRun::answer(int digit)
{
    if (m_over || m_current < 1 || m_current > m_items.size() || digit < 1 ||
        digit > TestRun::AnswerCount)
        return;
    const QString token = m_token;
    const qint64 run = m_runId;
    const int number = m_current;
    m_items[number - 1].chosen = digit;
    m_pending.append({number, digit});
    if (m_lost || m_kept)
        keepPending();
    post(
        [this, token, run, number, digit](ServerClient &client, int) {
            client.answer(token, run, number, digit);
            return std::function<void()>([this, number] {
                m_pending.removeIf(
                    [number](const UnsentAnswers::Answer &a) { return a.number == number; });
                if (m_kept)
                    keepPending();
            });
        },
        [this](const ServerClient::Refused &refused) {
            // The answers sent after a refused one are refused too: told once.
            if (!m_over)
                refuse(refused.message());
        });
    ++m_current;
    if (m_current <= m_items.size())
        emit questionChanged();
    else
        finish();
}

void ServerRun::finish()
{
    const QString token = m_token;
    const qint64 run = m_runId;
    // Made after the answers, on the same thread: the server has them all.
    post(
        [this, token, run](ServerClient &client, int) {
            const ServerClient::Result result = client.finishRun(token, run);
            // The server tells which answers were right only once the run
            // is over.
            const QList<ServerClient::Reviewed> review = client.review(token, run);
            return std::function<void()>([this, result, review] {
                m_over = true;
                m_grade = result.grade;
                m_rightCount = result.rightCount;
                m_grades = result.grades;
                m_mistakes.clear();
                for (const ServerClient::Reviewed &q : review) {
                    if (q.right || q.number < 1 || q.number > m_items.size())
                        continue;
                    const Item &item = m_items.at(q.number - 1);
                    m_mistakes.append({q.number, item.question,
                                       q.chosen >= 1 && q.chosen <= TestRun::AnswerCount
                                           ? item.answers[q.chosen - 1]
                                           : QByteArray()});
                }
                emit finished();
            });
        },
        [this](const ServerClient::Refused &refused) {
            // The answers sent after a refused one are refused too: told once.
            if (!m_over)
                refuse(refused.message());
        });
}

void ServerRun::lookForOpenRun()
{
    const QString token = m_token;
    const QString folder = m_unsentFolder;
    const QString server = m_address.display();
    post(
        [this, token, folder, server](ServerClient &client, int) -> std::function<void()> {
            std::optional<ServerClient::Run> open = client.openRun(token);
            if (!open)
                return [this] { emit noOpenRun(); };
            // The answers the server did not get before the program ended go
            // in first, where the run has none yet.
            const UnsentAnswers kept(folder, server, open->id);
            for (const UnsentAnswers::Answer &a : kept.read(int(open->questions.size()))) {
                auto q = std::find_if(
                    open->questions.begin(), open->questions.end(),
                    [&a](const ServerClient::Question &x) { return x.number == a.number; });
                if (q == open->questions.end() || q->chosen != 0)
                    continue;
                try {
                    client.answer(token, open->id, a.number, a.digit);
                } catch (const ServerClient::Refused &) {
                    // Out of order or the run ended elsewhere: the rest is
                    // the student's to give again.
                    break;
                }
                q->chosen = a.digit;
            }
            kept.remove();
            return [this, run = *open] {
                m_found = run;
                emit openRunFound(QByteArrayLiteral("test") + QByteArray::number(run.test),
                                  std::min(firstUnanswered(run), int(run.questions.size())));
            };
        },
        [this](const ServerClient::Refused &r) { emit refused(r.message()); });
}

void ServerRun::readAvailability()
{
    const QString token = m_token;
    post(
        [this, token](ServerClient &client, int) -> std::function<void()> {
            const QList<ServerClient::Availability> tests = client.availability(token);
            return [this, tests] { emit availabilityRead(tests); };
        },
        // Only the menu's captions wait for it: a refusal here is told by
        // the next start.
        [](const ServerClient::Refused &) {});
}

QString ServerRun::availabilityText(const ServerClient::Availability &availability,
                                    const QDateTime &now)
{
    if (availability.attemptsLeft == 0)
        return QStringLiteral("попыток больше нет");
    if (availability.waitSeconds > 0) {
        return QStringLiteral("снова в %1").arg(timeAfter(now, availability.waitSeconds));
    }
    return QString();
}

void ServerRun::resume()
{
    if (!m_found)
        return;
    const ServerClient::Run run = *m_found;
    adopt(run);
    emit started();
}

TestRun::Question ServerRun::question() const
{
    TestRun::Question q;
    if (m_current < 1 || m_current > m_items.size())
        return q;
    const Item &item = m_items.at(m_current - 1);
    q.text = item.question;
    q.answers = item.answers;
    q.number = m_current;
    q.count = int(m_items.size());
    return q;
}

QByteArray ServerRun::testName() const
{
    return m_test > 0 ? QByteArrayLiteral("test") + QByteArray::number(m_test) : QByteArray();
}
