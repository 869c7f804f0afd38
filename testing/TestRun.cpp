#include "TestRun.h"

#include "CodePage.h"
#include "Grading.h"
#include "RuntimeError.h"
#include "TestFile.h"

QByteArray TestRun::start(const QByteArray &testName)
{
    const QByteArray refusal = TestFile::startRefusal(testName);
    if (!refusal.isEmpty())
        return refusal;
    m_testName = testName;
    m_tag = 1;
    m_rightCount = 0;
    m_over = false;
    m_grade = 0;
    return QByteArray();
}

TestRun::Step TestRun::answer(int digit)
{
    // After the last answer the run is over, even when its end failed part
    // way: a further answer must not be counted and graded again.
    if (m_over)
        return Step::Ignored;
    const TestFile file(m_testName);
    if (QByteArray::number(digit) == file.rightAnswer(m_tag))
        ++m_rightCount;
    ++m_tag;
    const int count = file.count();
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
    const TestFile file(m_testName);
    Question question;
    question.text = file.question(m_tag);
    for (int i = 1; i <= AnswerCount; ++i)
        question.answers[i - 1] = file.answer(m_tag, i);
    return question;
}

int TestRun::testNumber() const
{
    return m_testName.startsWith("test") ? m_testName.mid(4).toInt() : 0;
}
