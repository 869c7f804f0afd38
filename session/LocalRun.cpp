// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalRun.h"

#include "CodePage.h"

LocalRun::LocalRun(const ClassStore &store, Session &session, QObject *parent)
    : RunSource(parent), m_store(store), m_session(session)
{
}

void LocalRun::start(const QByteArray &testName)
{
    if (const QByteArray refusal = m_run.start(m_store, testName); !refusal.isEmpty()) {
        emit refused(CodePage::toUnicode(refusal));
        return;
    }
    m_end = Session::RunEnd();
    emit started();
}

void LocalRun::answer(int digit)
{
    switch (m_run.answer(digit)) {
    case TestRun::Step::Ignored:
        return;
    case TestRun::Step::NextQuestion:
        emit questionChanged();
        return;
    case TestRun::Step::Finished:
        break;
    }
    // Each step of the end is done only when the one before it went through.
    m_end = m_session.finishRun(m_run);
    emit finished();
}
