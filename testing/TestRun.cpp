// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestRun.h"

#include "CodePage.h"
#include "Grading.h"
#include "RuntimeError.h"

QByteArray TestRun::start(const ClassStore &store, const QByteArray &testName)
{
    const QByteArray refusal = store.startRefusal(testName);
    if (!refusal.isEmpty())
        return refusal;
    m_store = &store;
    m_testName = testName;
    m_tag = 1;
    m_rightCount = 0;
    m_over = false;
    m_grade = 0;
    m_count = 0;
    m_chosen.clear();
    m_right.clear();
    m_mistakes.clear();
    // The version names the test the run began with, so that the records of
    // a test corrected later are not taken for answers to the new questions.
    m_version = store.testVersion(testName);
    return QByteArray();
}

TestRun::Step TestRun::answer(int digit)
{
    // After the last answer the run is over, even when its end failed part
    // way: a further answer must not be counted and graded again.
    if (m_over)
        return Step::Ignored;
    const std::unique_ptr<StoredTest> file = m_store->test(m_testName);
    const QByteArray right = file->rightAnswer(m_tag);
    m_chosen += QByteArray::number(digit);
    m_right += AnswerRecord::rightDigit(right);
    if (QByteArray::number(digit) == right)
        ++m_rightCount;
    else
        m_mistakes.append({m_tag, file->question(m_tag), file->answer(m_tag, digit)});
    ++m_tag;
    const int count = file->count();
    m_count = count;
    if (count < 1)
        throw RuntimeError(QStringLiteral("Число вопросов теста %1 неверно: %2")
                               .arg(CodePage::toUnicode(m_testName), QString::number(count)));
    if (m_tag <= count)
        return Step::NextQuestion;
    m_over = true;
    m_grade = Grading::grade(m_rightCount, count);
    return Step::Finished;
}

TestRun::Question TestRun::question() const
{
    Question question;
    if (!m_store)
        return question;
    const std::unique_ptr<StoredTest> file = m_store->test(m_testName);
    question.text = file->question(m_tag);
    for (int i = 1; i <= AnswerCount; ++i)
        question.answers[i - 1] = file->answer(m_tag, i);
    question.number = m_tag;
    // Only shown beside the question; an answer is what fails on a bad count.
    try {
        question.count = file->count();
    } catch (const RuntimeError &) {
        question.count = 0;
    }
    return question;
}

int TestRun::testNumber() const
{
    return AnswerRecord::testNumber(m_testName);
}

ClassStore::FinishedRun TestRun::finished(const QByteArray &user, const QDateTime &when) const
{
    return {user, when, m_testName, m_grade, m_version, m_chosen, m_right};
}
