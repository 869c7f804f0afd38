// SPDX-License-Identifier: GPL-3.0-or-later
// Times what "show" and "show --source" do with a test of 2,000 and of 20,000
// questions: the test read whole, and, with --value-by-value, also one read
// per value as a test run reads.

#include "SourceExport.h"
#include "TestConverter.h"
#include "TestFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QList<QByteArray> source(int questions)
{
    QList<QByteArray> lines;
    for (int n = 1; n <= questions + 1; ++n) {
        lines.append("Question number " + QByteArray::number(n) + ": which of these is right?");
        for (int i = 0; i < 5; ++i) {
            QByteArray line = QByteArray(1, char('A' + i)) +
                              ") answer text of some ordinary length, variant " +
                              QByteArray::number(i);
            if (i == n % 5)
                line += '*';
            lines.append(line);
        }
        lines.append("********");
    }
    return lines;
}

double secondsFor(const TestFile &file, int questions)
{
    QElapsedTimer timer;
    timer.start();
    const SourceExport::Result shown = SourceExport::build(file, SourceExport::Mode::Reading);
    const SourceExport::Result again = SourceExport::build(file, SourceExport::Mode::Conversion);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!shown.problems.isEmpty() || !again.problems.isEmpty() ||
        shown.lines.size() != qsizetype(questions) * 7)
        return -1;
    return seconds / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool valueByValue = app.arguments().contains(QStringLiteral("--value-by-value"));
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;

    double whole[2] = {0, 0};
    const int sizes[2] = {2000, 20000};
    for (int s = 0; s < 2; ++s) {
        const QByteArray name = "\\bench" + QByteArray::number(sizes[s]) + ".ini";
        TestConverter converter;
        converter.convertLines(source(sizes[s]), name);
        whole[s] = secondsFor(TestFile::readWhole(name), sizes[s]);
        if (whole[s] < 0) {
            std::fprintf(stderr, "the test read back wrong\n");
            return 1;
        }
        std::printf("read whole,     %5d questions: %.3f s\n", sizes[s], whole[s]);
        if (valueByValue) {
            const double each = secondsFor(TestFile::atRelativeName(name), sizes[s]);
            std::printf("value by value, %5d questions: %.3f s\n", sizes[s], each);
        }
    }
    std::printf("ratio read whole 20000/2000: %.1f\n", whole[0] > 0 ? whole[1] / whole[0] : 0.0);
    return whole[1] < 1.0 ? 0 : 1;
}
