// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The grade of a finished test run from its share of right answers.
class Grading
{
public:
    static constexpr int PassGrade = 3;

    // 5 from 80 per cent, 4 from 60, 3 from 40, 2 from 20, 1 below. The share
    // is compared exactly, so a share equal to a limit takes the higher grade
    // (8 of 10 give 5, 2 of 3 give 4). count must be at least 1.
    static int grade(int right, int count);
};
