// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ShareAddress.h"

#include <QString>

class QSettings;

// The course folder a run works in. It becomes the current directory before
// anything of the course is read, and every name inside the program is
// resolved against it. In this order: the folder named on the command line;
// the lab's class folder, set once for every account by the administrator
// (ClassFolder in the system-wide settings); the current directory when it
// holds a course, the way the program has always been run; the folder the
// user's last run worked in; the user's own copy of the sample course
// installed with the program, copied into the user's data folder at the
// first start. A folder holds a course when its settings file
// "data\info\tumb.db" is there in any letter case. A folder may be given as a
// share's address (ShareAddress).
//
// The class folder or the last folder that cannot be reached is refused, never
// passed over: a student who went on in another folder would take tests whose
// grades the teacher never sees. Only where no class folder is set may the
// user then choose the private copy of the sample, knowing what it is.
class CourseFolder
{
public:
    enum class Source
    {
        Argument,
        ClassFolder,
        Current,
        Last,
        Sample,
    };

    struct Choice
    {
        Source source = Source::Argument;
        QString folder;  // absolute; the current directory unless refused
        QString refusal; // the user's reason why none was entered, or empty
        // A refusal of the class folder or the last folder: it may pass when
        // the share is back, so the user may try again.
        bool canRetry = false;
        // The user may choose the private copy of the sample instead.
        bool sampleOffered = false;
        // The folder is a share that wants a user and a password (again,
        // when loginRefused): asked for, they go to setShareLogin before
        // entering again.
        bool needsLogin = false;
        bool loginRefused = false;
    };

    // Whether a folder can serve as the course folder.
    struct Reach
    {
        QString local;   // its absolute local path, an address mounted
        QString problem; // why it cannot, with its likely cause, or empty
        bool needsLogin = false;
        bool loginRefused = false;
    };

    static const QString LastFolderKey;
    static const QString ClassFolderKey;

    // The lab's class folder from the system-wide settings, empty when none.
    static QString systemClassFolder();

    // settings keeps the last folder; installedSample is the sample course
    // as installed, only read; userData is the user's data folder, whose
    // subfolder "course" receives the copy; classFolder is the lab's class
    // folder, a path or a share's address, empty when none is set.
    CourseFolder(QSettings &settings, const QString &installedSample, const QString &userData,
                 const QString &classFolder = QString());

    // argument is the folder given on the command line, empty when none.
    // A refusal leaves the current directory and the settings as they were
    // and creates nothing. Throws RuntimeError when the copy of the sample
    // cannot be written.
    Choice enter(const QString &argument);
    // The user's own copy of the sample, chosen after a refusal that offered
    // it.
    Choice enterSample();

    static bool holdsCourse(const QString &folder);

    // Whether the folder can serve as the course folder; the problem is in
    // the user's words. An address is mounted, with the login where the
    // share wants one. Without needCourse a folder that can be entered will
    // do.
    static Reach reach(const QString &folder, bool needCourse = true,
                       const ShareAddress::Login &login = ShareAddress::Login());

    // The user and password for the share of the next enter() only: they
    // are forgotten once it is mounted or refused.
    void setShareLogin(const ShareAddress::Login &login);

    // The folder of the user's copy of the sample.
    QString userCopy() const;

private:
    Choice chooseWithoutArgument(const ShareAddress::Login &login);
    // Why the local folder cannot serve, or empty.
    static QString problem(const QString &path, bool needCourse);
    Choice sample(bool remember);
    // address: the share's address the folder was reached by, kept as the
    // last folder in place of its local path.
    Choice settle(Source source, const QString &folder, bool remember = true,
                  const QString &address = QString());

    QSettings &m_settings;
    QString m_installedSample;
    QString m_userData;
    QString m_classFolder;
    ShareAddress::Login m_login;
};
