// SPDX-License-Identifier: GPL-3.0-or-later
#include "CourseFolderPrompt.h"

#include "CourseFolder.h"
#include "CourseInfo.h"
#include "RuntimeError.h"
#include "ShareLoginDialog.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {

enum class FolderAnswer
{
    Retry,
    Sample,
    Quit,
};

void print(const QString &message)
{
    const QByteArray bytes =
        QStringLiteral("%1: %2\n").arg(QCoreApplication::applicationName(), message).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

FolderAnswer askAboutFolder(const CourseFolder::Choice &choice)
{
    QMessageBox box(QMessageBox::Warning, CourseInfo::Title, choice.refusal);
    QPushButton *retry = box.addButton(QStringLiteral("Повторить"), QMessageBox::AcceptRole);
    QPushButton *sample =
        choice.sampleOffered
            ? box.addButton(QStringLiteral("Своя копия образца курса"), QMessageBox::ActionRole)
            : nullptr;
    QPushButton *quit = box.addButton(QStringLiteral("Выход"), QMessageBox::RejectRole);
    box.setDefaultButton(retry);
    box.setEscapeButton(quit);
    box.exec();
    if (box.clickedButton() == retry)
        return FolderAnswer::Retry;
    if (sample && box.clickedButton() == sample)
        return FolderAnswer::Sample;
    return FolderAnswer::Quit;
}

int refuse(const QString &message)
{
    print(message);
    QMessageBox::critical(nullptr, CourseInfo::Title, message);
    return CourseFolderPrompt::NoFolder;
}

} // namespace

int CourseFolderPrompt::enter(CourseFolder &course, const QString &argument)
{
    try {
        CourseFolder::Choice choice = course.enter(argument);
        for (;;) {
            // A share that wants a login is asked for one first; a user who
            // cancels gets the refusal as for any folder not reached.
            if (choice.needsLogin) {
                if (const auto login = ShareLoginDialog::ask(choice.folder, choice.loginRefused)) {
                    course.setShareLogin(*login);
                    choice = course.enter(argument);
                    continue;
                }
            }
            if (!choice.canRetry)
                break;
            print(choice.refusal);
            const FolderAnswer answer = askAboutFolder(choice);
            if (answer == FolderAnswer::Quit)
                return Quit;
            choice = answer == FolderAnswer::Retry ? course.enter(argument) : course.enterSample();
        }
        if (!choice.refusal.isEmpty())
            return refuse(choice.refusal);
    } catch (const RuntimeError &e) {
        return refuse(e.message());
    }
    return 0;
}
