#pragma once

#include <QString>

class QSettings;

// The course folder a run works in. It becomes the current directory before
// anything of the course is read, and every name inside the program is
// resolved against it. In this order: the folder named on the command line;
// the current directory when it holds a course, the way the program has
// always been run; the folder the user's last run worked in; the user's own
// copy of the sample course installed with the program, copied into the
// user's data folder at the first start. A folder holds a course when its
// settings file "data\info\tumb.db" is there in any letter case.
class CourseFolder
{
public:
    enum class Source
    {
        Argument,
        Current,
        Last,
        Sample,
    };

    struct Choice
    {
        Source source = Source::Argument;
        QString folder;  // absolute; the current directory unless refused
        QString refusal; // the user's reason why none was entered, or empty
    };

    static const QString LastFolderKey;

    // settings keeps the last folder; installedSample is the sample course
    // as installed, only read; userData is the user's data folder, whose
    // subfolder "course" receives the copy.
    CourseFolder(QSettings &settings, const QString &installedSample, const QString &userData);

    // argument is the folder given on the command line, empty when none.
    // A refused argument leaves the current directory and the settings as
    // they were and creates nothing. Throws RuntimeError when the copy of the
    // sample cannot be written.
    Choice enter(const QString &argument);

    static bool holdsCourse(const QString &folder);

    // The folder of the user's copy of the sample.
    QString userCopy() const;

private:
    Choice chooseWithoutArgument();
    Choice settle(Source source, const QString &folder);

    QSettings &m_settings;
    QString m_installedSample;
    QString m_userData;
};
