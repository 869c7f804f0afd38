// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Accounts.h"
#include "RunSource.h"
#include "ServerAddress.h"
#include "ServerClient.h"
#include "UnsentAnswers.h"

#include <QDateTime>
#include <QList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// A test run on the class's server, for a student's session (the token of
// the student's log-in): the questions come from the server without their
// keys, each answer goes to the server as it is given, and the server
// grades the run and writes its log line and answer record.
//
// The calls are made on a thread of the run's own, on a connection of its
// own, so the window's event loop never waits for the server; a call that
// takes longer than a moment reports waiting(). When the server cannot be
// reached the call is tried again every RetryMs until it is back, the
// student told by connectionLost() and connectionBack(); the questions are
// all on hand, so the student answers on meanwhile, and the answers go in
// the order given once the connection is back. Meanwhile they are kept on
// the machine (UnsentAnswers), and a run taken up after the program ended
// gets them first.
class ServerRun : public RunSource
{
    Q_OBJECT

public:
    static constexpr int WaitShownAfterMs = 400;
    static constexpr int RetryMs = 1000;

    ServerRun(const ServerAddress &address, const QString &token, QObject *parent = nullptr);
    ~ServerRun() override;

    // Where the answers the server has not confirmed are kept while it is
    // away: the user's data folder unless set before the run starts.
    void setUnsentFolder(const QString &folder) { m_unsentFolder = folder; }

    void start(const QByteArray &testName) override;
    void answer(int digit) override;

    // Asks whether a run of the student's was left open (the program killed
    // or the machine restarted mid-run): openRunFound() or noOpenRun()
    // follows.
    void lookForOpenRun();
    // Takes up the run openRunFound() named, at the question where it
    // stopped, the answers given before kept, those kept on this machine
    // sent first; started() follows.
    void resume();
    // Asks when the tests the teacher limited can be taken again:
    // availabilityRead() follows.
    void readAvailability();

    TestRun::Question question() const override;
    QByteArray testName() const override;
    bool isOver() const override { return m_over; }
    int grade() const override { return m_grade; }
    int rightCount() const override { return m_rightCount; }
    int questionCount() const override { return int(m_items.size()); }
    // From the server's review of the finished run: the questions as shown,
    // the answers as chosen.
    QList<TestRun::Mistake> mistakes() const override { return m_mistakes; }
    // The student's twelve grades as the finished run left them.
    const Accounts::Scores &grades() const { return m_grades; }
    // Answers given that the server has not confirmed yet.
    int unsentCount() const { return int(m_pending.size()); }
    bool isConnectionLost() const { return m_lost; }
    // Whether they stand on this machine, for the next log-in here.
    bool unsentKept() const { return m_kept; }

    // A refused start as the student reads it: a pause says when the test
    // can be taken again, a used-up attempt limit that it cannot.
    static QString startRefusalText(const ServerClient::Refused &refused, const QDateTime &now);
    // What a test's menu entry adds to its caption: when the test can be
    // taken again, or that it cannot; empty when it can be taken now.
    static QString availabilityText(const ServerClient::Availability &availability,
                                    const QDateTime &now);

signals:
    // number: the first question without an answer (the last one when all
    // have answers and only the end is missing).
    void openRunFound(const QByteArray &testName, int number);
    void noOpenRun();
    void availabilityRead(const QList<ServerClient::Availability> &tests);
    // An unforeseen failure of the server: the run is over without a grade.
    void failed(const QString &text);

private:
    // A call on the worker's thread; what it returns is done on the run's
    // thread with its result.
    using Call = std::function<std::function<void()>(ServerClient &client, int attempt)>;
    using RefusalHandler = std::function<void(const ServerClient::Refused &)>;

    void post(Call call, RefusalHandler onRefused);
    void callDone();
    void adopt(const ServerClient::Run &run);
    // Asks the server for the grade once every question has its answer.
    void finish();
    void refuse(const QString &text);
    // The unconfirmed answers onto the machine, or their file away once
    // there are none.
    void keepPending();

    struct Item
    {
        QByteArray question;
        std::array<QByteArray, TestRun::AnswerCount> answers;
        int chosen = 0;
    };

    const ServerAddress m_address;
    const QString m_token;
    QThread m_thread;
    QObject *m_worker = nullptr;
    // Made, used and removed on the worker's thread only.
    std::unique_ptr<ServerClient> m_client;
    std::atomic<bool> m_stopping{false};

    QTimer m_waitTimer;
    int m_inFlight = 0;
    bool m_waitShown = false;
    bool m_lost = false;

    std::optional<ServerClient::Run> m_found;
    qint64 m_runId = 0;
    int m_test = 0;
    QList<Item> m_items;
    int m_current = 0; // 1-based; count + 1 once the last one is answered
    QString m_unsentFolder = UnsentAnswers::defaultFolder();
    // Given and not confirmed yet, in the order given.
    QList<UnsentAnswers::Answer> m_pending;
    bool m_kept = false; // they stand in their file
    bool m_over = true;
    int m_grade = 0;
    int m_rightCount = 0;
    Accounts::Scores m_grades{};
    QList<TestRun::Mistake> m_mistakes;
};
