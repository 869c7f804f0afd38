#include "QuestionSource.h"

#include "TextFile.h"

QByteArray QuestionSource::usedPart(const QByteArray &text)
{
    const qsizetype end = text.indexOf(EndOfText);
    return end < 0 ? text : text.left(end);
}

QList<QByteArray> QuestionSource::split(const QByteArray &text)
{
    const QByteArray used = usedPart(text);
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < used.size()) {
        qsizetype end = used.indexOf('\n', start);
        if (end < 0)
            end = used.size();
        QByteArray line = used.mid(start, end - start);
        if (line.contains('\r'))
            line.removeIf([](char c) { return c == '\r'; });
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

QList<QByteArray> QuestionSource::read(const QString &path)
{
    return split(TextFile::read(path));
}
