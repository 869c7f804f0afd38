// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceLine.h"

const QByteArray SourceLine::Separator = QByteArrayLiteral("********");

int SourceLine::answerIndex(const QByteArray &line)
{
    if (line.size() < 2 || line[1] != ')')
        return -1;
    const char letter = line[0];
    if (letter < 'A' || letter >= 'A' + AnswerCount)
        return -1;
    return letter - 'A';
}

SourceLine::Kind SourceLine::kind(const QByteArray &line)
{
    if (line.isEmpty())
        return Kind::Empty;
    if (answerIndex(line) >= 0)
        return Kind::Answer;
    if (line == Separator)
        return Kind::Separator;
    return Kind::Question;
}

bool SourceLine::isMarked(const QByteArray &line)
{
    return line.endsWith('*') && line != Separator;
}

char SourceLine::markedDigit(const QByteArray &line)
{
    if (!isMarked(line))
        return 0;
    const char first = line[0];
    if (first < 'A' || first >= 'A' + AnswerCount)
        return 0;
    return char('1' + (first - 'A'));
}

QByteArray SourceLine::answerPrefix(int index)
{
    return QByteArray(1, char('A' + index)) + ')';
}
