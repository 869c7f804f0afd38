#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A question source text as the authoring tool reads it, one line after the
// other. A line ends at LF; a CR before the LF, like any other CR, is not part
// of it. Ctrl-Z ends the text. A last line without LF counts; a line break at
// the very end adds no empty line. Lines have no length limit.
class QuestionSource
{
public:
    static constexpr char EndOfText = 26;

    static QList<QByteArray> split(const QByteArray &text);

    // The text up to its first Ctrl-Z.
    static QByteArray usedPart(const QByteArray &text);

    // Throws the runtime's input/output error when the file cannot be opened.
    static QList<QByteArray> read(const QString &path);
};
