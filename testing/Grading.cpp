// SPDX-License-Identifier: GPL-3.0-or-later
#include "Grading.h"

int Grading::grade(int right, int count)
{
    // right / count * 100 >= limit, kept in whole numbers so that no rounding
    // moves a share across a limit.
    const long long share = 100LL * right;
    const long long n = count;
    if (share >= 80 * n)
        return 5;
    if (share >= 60 * n)
        return 4;
    if (share >= 40 * n)
        return 3;
    if (share >= 20 * n)
        return 2;
    return 1;
}
