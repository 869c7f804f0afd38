// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The answers of a run on the server that the server has not confirmed,
// kept on the lab machine while the server is out of reach, so that a
// program killed or a machine restarted meanwhile loses none of them: the
// next log-in sends them before it offers to go on with the run. One small
// file a run in the user's own data folder (the course folder may be
// read-only and is every student's), removed once the answers are in; it
// holds the student's own digits, nothing the server keeps from the lab.
//
// The file: "coursebook unsent answers 1", then a line "number digit" an
// answer, in the order given, each line ended by LF.
class UnsentAnswers
{
public:
    struct Answer
    {
        int number = 0; // 1-based
        int digit = 0;  // 1 … 5
        bool operator==(const Answer &) const = default;
    };

    // The file of the run on the server named by its address as shown.
    UnsentAnswers(const QString &folder, const QString &server, qint64 run);

    // The user's data folder the program keeps them in.
    static QString defaultFolder();

    const QString &path() const { return m_path; }
    // Replaces what is kept, whole or not at all; false when it could not.
    bool write(const QList<Answer> &answers) const;
    // What is kept; lines that are not an answer of a question up to count
    // are passed over, and a file of another kind or none gives nothing.
    QList<Answer> read(int count) const;
    void remove() const;

private:
    QString m_path;
};
