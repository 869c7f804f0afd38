// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnsentAnswers.h"

#include "TestRun.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QByteArray Header = "coursebook unsent answers 1";
// A question's number and digit are a few bytes; a file far larger is none
// of ours.
constexpr qint64 MaxSize = 64 * 1024;

} // namespace

UnsentAnswers::UnsentAnswers(const QString &folder, const QString &server, qint64 run)
{
    // The server's address names it without its spelling reaching a file name.
    const QByteArray id =
        QCryptographicHash::hash(server.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    m_path = QDir(folder).filePath(
        QStringLiteral("%1-%2.answers").arg(QString::fromLatin1(id)).arg(run));
}

QString UnsentAnswers::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("unsent"));
}

bool UnsentAnswers::write(const QList<Answer> &answers) const
{
    if (!QDir().mkpath(QFileInfo(m_path).path()))
        return false;
    QByteArray data = Header + '\n';
    for (const Answer &a : answers)
        data += QByteArray::number(a.number) + ' ' + QByteArray::number(a.digit) + '\n';
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(data);
    return file.commit();
}

QList<UnsentAnswers::Answer> UnsentAnswers::read(int count) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxSize)
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(0) != Header)
        return {};
    QList<Answer> answers;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(' ');
        if (fields.size() != 2)
            continue;
        bool numberOk = false;
        bool digitOk = false;
        const Answer a{fields.at(0).toInt(&numberOk), fields.at(1).toInt(&digitOk)};
        if (numberOk && digitOk && a.number >= 1 && a.number <= count && a.digit >= 1 &&
            a.digit <= TestRun::AnswerCount)
            answers.append(a);
    }
    return answers;
}

void UnsentAnswers::remove() const
{
    QFile::remove(m_path);
}
