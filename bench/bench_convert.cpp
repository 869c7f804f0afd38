// SPDX-License-Identifier: GPL-3.0-or-later
// Times the conversion of generated question sources of 1,000 and 10,000
// questions, each into a new test file, the way the authoring window runs it.

#include "TestConverter.h"
#include "TestFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QByteArray source(int questions)
{
    QByteArray text;
    for (int n = 1; n <= questions + 1; ++n) {
        text += "Question number " + QByteArray::number(n) + ": which of these is right?\r\n";
        for (int i = 0; i < 5; ++i) {
            text += char('A' + i);
            text += ") answer text of some ordinary length, variant " + QByteArray::number(i);
            text += i == n % 5 ? "*\r\n" : "\r\n";
        }
        text += "********\r\n";
    }
    return text;
}

double secondsFor(const QTemporaryDir &dir, int questions)
{
    const QString path = dir.filePath(QStringLiteral("source%1.txt").arg(questions));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(source(questions)) < 0)
        return -1;
    file.close();

    const QByteArray name = "bench" + QByteArray::number(questions);
    QElapsedTimer timer;
    timer.start();
    TestConverter converter;
    const TestConverter::Result result = converter.convert(path, TestConverter::outputName(name));
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (result.count != questions ||
        TestFile::atRelativeName(TestConverter::outputName(name)).count() != questions)
        return -1;
    return seconds;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    const double small = secondsFor(dir, 1000);
    const double large = secondsFor(dir, 10000);
    if (small < 0 || large < 0) {
        std::fprintf(stderr, "conversion gave a wrong count\n");
        return 1;
    }
    std::printf("convert  1000 questions: %.3f s\n", small);
    std::printf("convert 10000 questions: %.3f s\n", large);
    std::printf("ratio: %.1f\n", small > 0 ? large / small : 0.0);
    return large < 3.0 ? 0 : 1;
}
