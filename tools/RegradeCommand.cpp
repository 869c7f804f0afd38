// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegradeCommand.h"

#include "AnswerRecord.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CommandArguments.h"
#include "Console.h"
#include "CourseTestName.h"
#include "GradeChanges.h"
#include "WorkingFolder.h"

#include <QDateTime>

const char *const RegradeCommand::Synopsis = "regrade testN [--dry-run] [--dir DIR]";

QString RegradeCommand::summary()
{
    return QStringLiteral("пересчитать оценки всех записанных попыток теста по его нынешнему "
                          "ключу; --dry-run: только показать изменения");
}

int RegradeCommand::run(const QStringList &args)
{
    const CommandArguments arguments(args, {QStringLiteral("--dir")}, {QStringLiteral("--dry-run")},
                                     1);
    const std::unique_ptr<ClassStore> store =
        WorkingFolder::openClass(arguments.value(QStringLiteral("--dir")));
    // The changes go beside the log the settings name.
    store->readSettings();
    const QString testName = arguments.positional().at(0);
    const int test = CourseTestName::number(*store, testName);
    if (!test) {
        return 1;
    }
    const GradeChanges::Plan plan = GradeChanges::plan(*store, test);
    const bool dry = arguments.has(QStringLiteral("--dry-run"));
    for (qsizetype i = 0; i < plan.regrades.size(); ++i) {
        const GradeChange &c = plan.regrades[i];
        Console::out(
            QStringLiteral("%1\tпопытка %2\t%3 → %4%5")
                .arg(CodePage::toUnicode(c.user),
                     QString::fromLatin1(AnswerRecord::timeText(c.runDate, c.runTime)))
                .arg(c.oldGrade)
                .arg(c.newGrade)
                .arg(plan.stores[i]
                         ? QString()
                         : QStringLiteral(
                               "\t(оценка в users.ini не меняется: она не от этой попытки)")));
    }
    Console::out(QStringLiteral("Попыток теста %1 пересчитано: %2, оценок изменилось: %3.")
                     .arg(plan.testMark)
                     .arg(plan.runs)
                     .arg(plan.regrades.size()));
    if (plan.otherCount)
        Console::out(QStringLiteral("Не пересчитано попыток с другим числом вопросов: %1.")
                         .arg(plan.otherCount));
    if (!plan.badLines.isEmpty())
        Console::out(QStringLiteral("Нечитаемых записей ответов: %1.").arg(plan.badLines.size()));
    if (dry) {
        Console::out(QStringLiteral("Ничего не записано (--dry-run)."));
        return 0;
    }
    const int stored = GradeChanges::apply(*store, plan, QDateTime::currentDateTime());
    Console::out(QStringLiteral("Записано в журнал изменений; сохранено оценок: %1.").arg(stored));
    return 0;
}
