// SPDX-License-Identifier: GPL-3.0-or-later
// One libFuzzer program; COURSEBOOK_FUZZ_TARGET names the target it runs.
#include "FuzzTargets.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The program lives for the whole run; its folder goes with it.
    static QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "no working folder\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const FuzzTargets::Target target = FuzzTargets::byName(COURSEBOOK_FUZZ_TARGET);
    const QByteArray problem =
        target(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", COURSEBOOK_FUZZ_TARGET, problem.constData());
        std::abort();
    }
    return 0;
}
