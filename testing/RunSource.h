// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestRun.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// A test run as the window drives it, wherever the questions and the grade
// come from: the window asks for a start and gives answers, and shows what
// the signals report. A run on the class's server answers later than it is
// asked, so nothing here returns a result: the question to show, the end,
// a refusal, a wait and a lost connection all arrive as signals.
class RunSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Begins a run of the test ("test3"); started() or refused() follows.
    virtual void start(const QByteArray &testName) = 0;
    // The answer with the digit 1 … 5 to the current question; ignored when
    // no run is going on. questionChanged() or, after the last question,
    // finished() follows.
    virtual void answer(int digit) = 0;

    // The current question; number 0 before a run began.
    virtual TestRun::Question question() const = 0;
    virtual QByteArray testName() const = 0;
    virtual bool isOver() const = 0;
    // 1 … 5 once finished() came; right answers of how many.
    virtual int grade() const = 0;
    virtual int rightCount() const = 0;
    virtual int questionCount() const = 0;
    // The questions answered wrong, for the review, once finished() came.
    virtual QList<TestRun::Mistake> mistakes() const = 0;

signals:
    // The run began (or was taken up again) at question().
    void started();
    void questionChanged();
    void finished();
    // The run cannot begin or go on: the text for the student, in Russian,
    // naming what refused.
    void refused(const QString &text);
    // A call takes longer than a moment (true) and has come back (false).
    void waiting(bool waiting);
    // The connection went: the run goes on once it is back; answers given
    // meanwhile are kept and sent then.
    void connectionLost(const QString &text);
    void connectionBack();
};
