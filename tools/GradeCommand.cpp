// SPDX-License-Identifier: GPL-3.0-or-later
#include "GradeCommand.h"

#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "CourseTestName.h"
#include "GradeChanges.h"
#include "WorkingFolder.h"

#include <QDateTime>

const char *const GradeCommand::Synopsis = "grade NAME testN G --reason TEXT [--dir DIR]";

QString GradeCommand::summary()
{
    return QStringLiteral("выставить оценку G (1 … 5) вручную, с причиной в журнале изменений");
}

int GradeCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir"), QStringLiteral("--reason")},
                                     {}, 3);
    const std::unique_ptr<ClassStore> store =
        WorkingFolder::openClass(arguments.value(QStringLiteral("--dir")));
    // The changes go beside the log the settings name.
    store->readSettings();
    const QByteArray name = WorkingFolder::storedName(arguments.positional().at(0));
    const QString testName = arguments.positional().at(1);
    const int test = CourseTestName::number(*store, testName);
    const QString gradeText = arguments.positional().at(2);
    const int grade = gradeText.size() == 1 ? gradeText.toInt() : 0;
    const QString reason = arguments.value(QStringLiteral("--reason")).trimmed();
    if (!test) {
        return 1;
    }
    if (grade < 1 || grade > 5) {
        Console::error(QStringLiteral("Оценка %1 неверна: нужна цифра от 1 до 5.").arg(gradeText));
        return 1;
    }
    if (const QString refusal = GradeChanges::overrideRefusal(grade, reason); !refusal.isEmpty()) {
        Console::error(refusal + QStringLiteral(" --reason ТЕКСТ"));
        return 1;
    }
    const QByteArray stored = GradeChanges::setGrade(
        *store, name, test, grade, CodePage::fromUnicode(reason), QDateTime::currentDateTime());
    if (stored.isEmpty()) {
        Console::error(
            QStringLiteral("Пользователь %1 не зарегистрирован.").arg(CodePage::toUnicode(name)));
        return 1;
    }
    Console::out(QStringLiteral("Пользователю %1 выставлена оценка %2 за тест %3.")
                     .arg(CodePage::toUnicode(stored))
                     .arg(grade)
                     .arg(test));
    return 0;
}
