// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

class ClassReport;

// The class as an OpenDocument spreadsheet (.ods) that a spreadsheet opens as
// it is, numbers as numbers and dates as dates: a sheet "Оценки" with a row a
// user, the grades of test1 … test10 (empty where the test was not taken)
// and the final grade; a sheet "Попытки" with every run of the test log; a
// sheet "Анализ вопросов" with the analysis of each question.
class ReportOds
{
public:
    // How the final grade is made of the grades of the tests taken.
    enum class Final
    {
        Mean,   // their mean, rounded as the grading rounds: a half goes up
        Lowest, // the lowest of them
    };
    // "mean" or "lowest"; nullopt for another word.
    static std::optional<Final> finalNamed(const QString &word);

    // The final grade of a user's row; nullopt where no test was taken.
    static std::optional<int> finalGrade(const ClassReport &report, qsizetype row, Final rule);

    static QByteArray write(const ClassReport &report, Final rule,
                            const QDateTime &made = QDateTime::currentDateTime());
};
