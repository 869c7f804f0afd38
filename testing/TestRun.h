// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AnswerRecord.h"
#include "ClassStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <array>

// One run of one test: which question is on screen, how many answers were
// right, and whether the last question was answered. Every value comes from
// the test file at the moment it is needed; of the file the run keeps only
// what it answered: the file's version at the start, each answer with the
// right one, and the questions answered wrong, for the record and the
// student's review.
class TestRun
{
public:
    static constexpr int AnswerCount = 5;

    struct Question
    {
        QByteArray text;
        std::array<QByteArray, AnswerCount> answers; // A … E, prefixes included
        int number = 0;                              // the current question number
        int count = 0; // the test's question count as read now; 0 if unreadable
    };

    // A question answered wrong, as the file read when it was answered.
    struct Mistake
    {
        int number = 0;
        QByteArray question;
        QByteArray answer; // the one chosen, its "A)" … "E)" prefix included
    };

    enum class Step
    {
        NextQuestion, // the question to show has changed
        Finished,     // the last question was answered: grade() holds the result
        Ignored       // no run is going on; the answer counts for nothing
    };

    // Begins a run of the store's test at question 1 with no right answers.
    // A test that cannot be run gives the refusal's text and leaves the run
    // as it was; an empty result means the run began. The store outlives the
    // run.
    QByteArray start(const ClassStore &store, const QByteArray &testName);

    // The answer with the digit 1 … 5 to the current question. It is counted
    // before the question count is read, so a count that turned unusable
    // during the run throws with the answer already taken.
    Step answer(int digit);

    // The current question as the store holds it now.
    Question question() const;

    const QByteArray &testName() const { return m_testName; }
    // The number of the test, the digits ending its name ("test3" gives 3).
    int testNumber() const;
    int tag() const { return m_tag; }
    int rightCount() const { return m_rightCount; }
    bool isOver() const { return m_over; }
    // 1 … 5 once the run is finished.
    int grade() const { return m_grade; }
    // The question count read by the last answer.
    int questionCount() const { return m_count; }
    const QList<Mistake> &mistakes() const { return m_mistakes; }

    // The run as the store records it, once it is finished.
    ClassStore::FinishedRun finished(const QByteArray &user, const QDateTime &when) const;

private:
    const ClassStore *m_store = nullptr;
    QByteArray m_testName;
    int m_tag = 0;
    int m_rightCount = 0;
    bool m_over = true;
    int m_grade = 0;
    int m_count = 0;
    QByteArray m_version;
    QByteArray m_chosen;
    QByteArray m_right;
    QList<Mistake> m_mistakes;
};
