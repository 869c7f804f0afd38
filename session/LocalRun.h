// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RunSource.h"
#include "Session.h"
#include "TestRun.h"

// A test run on the class kept in the course folder: the questions and the
// keys come from the folder's test file, the program grades the run, and
// its end goes into the session: the grade into the table, the answers into
// the answer record, the line into the test log. Every call answers at once,
// its signal emitted before it returns; an unforeseen failure throws from
// the call, the state as far as it got kept (a log that cannot be appended
// to throws with the grade already in the table, and finished() does not
// come).
class LocalRun : public RunSource
{
    Q_OBJECT

public:
    // The store and the session outlive the run.
    LocalRun(const ClassStore &store, Session &session, QObject *parent = nullptr);

    void start(const QByteArray &testName) override;
    void answer(int digit) override;

    TestRun::Question question() const override { return m_run.question(); }
    QByteArray testName() const override { return m_run.testName(); }
    bool isOver() const override { return m_run.isOver(); }
    int grade() const override { return m_run.grade(); }
    int rightCount() const override { return m_run.rightCount(); }
    int questionCount() const override { return m_run.questionCount(); }
    QList<TestRun::Mistake> mistakes() const override { return m_run.mistakes(); }

    const TestRun &run() const { return m_run; }
    // What the session made of the last run's end.
    const Session::RunEnd &end() const { return m_end; }

private:
    const ClassStore &m_store;
    Session &m_session;
    TestRun m_run;
    Session::RunEnd m_end;
};
