// SPDX-License-Identifier: GPL-3.0-or-later
#include "QuestionDump.h"

#include "TestFile.h"

QList<QByteArray> QuestionDump::asked(const QByteArray &relativeName)
{
    const TestFile file = TestFile::atRelativeName(relativeName);
    QList<QByteArray> out{file.countText()};
    for (int k = 1; k <= file.count(); ++k) {
        out.append(file.question(k));
        for (int i = 1; i <= 5; ++i)
            out.append(file.answer(k, i));
        out.append(file.rightAnswer(k));
    }
    return out;
}
