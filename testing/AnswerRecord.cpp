// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnswerRecord.h"

#include "AdminSettings.h"
#include "ClassStore.h"
#include "CodePage.h"
#include "CourseStructure.h"
#include "FolderBounds.h"
#include "IoError.h"
#include "Paths.h"
#include "RuntimeError.h"
#include "TextFile.h"
#include "UserRecords.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

const QByteArrayView Separator = ClassStore::FieldSeparator;
constexpr int FieldCount = 7;

bool isDigits(QByteArrayView text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int number(QByteArrayView digits)
{
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

// "YYYY-MM-DD HH:MM:SS" and nothing else; a date or time that does not exist
// is no record's.
} // namespace

bool AnswerRecord::parseTime(QByteArrayView text, QDate &date, QTime &time)
{
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':')
        return false;
    const QByteArrayView parts[] = {text.sliced(0, 4),  text.sliced(5, 2),  text.sliced(8, 2),
                                    text.sliced(11, 2), text.sliced(14, 2), text.sliced(17, 2)};
    for (QByteArrayView part : parts) {
        if (!isDigits(part))
            return false;
    }
    date = QDate(number(parts[0]), number(parts[1]), number(parts[2]));
    time = QTime(number(parts[3]), number(parts[4]), number(parts[5]));
    return date.isValid() && time.isValid();
}

QByteArray AnswerRecord::timeText(const QDate &date, const QTime &time)
{
    return date.toString(u"yyyy-MM-dd").toLatin1() + ' ' + time.toString(u"HH:mm:ss").toLatin1();
}

namespace {

bool allWithin(QByteArrayView text, char low, char high)
{
    for (char c : text) {
        if (c < low || c > high)
            return false;
    }
    return true;
}

bool isLowerHex(QByteArrayView text)
{
    for (char c : text) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f'))
            return false;
    }
    return true;
}

} // namespace

QByteArray AnswerRecord::line() const
{
    const QByteArray separator = ClassStore::FieldSeparator.toByteArray();
    return user + separator + timeText(date, time) + separator + testName + separator +
           QByteArray::number(grade) + separator + version + separator + chosen + separator +
           right + "\r\n";
}

int AnswerRecord::testNumber(QByteArrayView name)
{
    if (name.size() < 5 || name.size() > 6 || CodePage::fold(name.first(4).toByteArray()) != "test")
        return 0;
    const QByteArrayView digits = name.sliced(4);
    if (!isDigits(digits) || digits[0] == '0')
        return 0;
    const int k = number(digits);
    return k >= 1 && k <= CourseStructure::MaxTests ? k : 0;
}

AnswerRecord::Fault AnswerRecord::split(QByteArrayView line, Fields &out)
{
    // The last six fields hold no " | "; what stands before them is the user.
    QByteArrayView fields[FieldCount];
    qsizetype end = line.size();
    for (int i = FieldCount - 1; i > 0; --i) {
        const qsizetype at = line.first(end).lastIndexOf(Separator);
        if (at < 0)
            return Fault::FieldCount;
        fields[i] = line.sliced(at + Separator.size(), end - at - Separator.size());
        end = at;
    }
    fields[0] = line.first(end);
    if (fields[0].isEmpty())
        return Fault::FieldCount;
    if (!parseTime(fields[1], out.date, out.time))
        return Fault::BadTime;
    out.test = testNumber(fields[2]);
    if (!out.test)
        return Fault::UnknownTest;
    if (fields[3].size() != 1 || fields[3][0] < '1' || fields[3][0] > '5')
        return Fault::BadGrade;
    if (fields[4].size() != VersionLength || !isLowerHex(fields[4]))
        return Fault::BadVersion;
    if (fields[5].isEmpty() || fields[5].size() != fields[6].size() ||
        !allWithin(fields[5], '1', '5') || !allWithin(fields[6], '0', '5'))
        return Fault::BadAnswers;
    out.user = fields[0];
    out.testName = fields[2];
    out.grade = fields[3][0] - '0';
    out.version = fields[4];
    out.chosen = fields[5];
    out.right = fields[6];
    return Fault::None;
}

AnswerRecord::Fault AnswerRecord::parse(QByteArrayView line, AnswerRecord &record)
{
    Fields fields;
    const Fault fault = split(line, fields);
    if (fault != Fault::None)
        return fault;
    record.user = fields.user.toByteArray();
    record.date = fields.date;
    record.time = fields.time;
    record.testName = fields.testName.toByteArray();
    record.grade = fields.grade;
    record.version = fields.version.toByteArray();
    record.chosen = fields.chosen.toByteArray();
    record.right = fields.right.toByteArray();
    return Fault::None;
}

QByteArray AnswerRecord::fileName(const QByteArray &logName)
{
    return UserRecords::answerRecordName(logName);
}

QByteArray AnswerRecord::versionOf(const QByteArray &testFileBytes)
{
    return QCryptographicHash::hash(testFileBytes, QCryptographicHash::Sha256)
        .toHex()
        .first(VersionLength);
}

char AnswerRecord::rightDigit(const QByteArray &stored)
{
    // A run counts an answer right when the stored text is the button's
    // digit, so nothing else can ever be answered right.
    return stored.size() == 1 && stored[0] >= '1' && stored[0] <= '5' ? stored[0] : '0';
}

void AnswerRecord::append(const QByteArray &logName, const QByteArray &line)
{
    // A log name that can name no file (none, or a folder) would put the
    // record file where no log line can follow it.
    const QString log = Paths::resolve(logName);
    if (logName.isEmpty() || QFileInfo(log).isDir())
        throw IoError::inOut(log, TextFile::diagnose(log, true));
    if (!AdminSettings::logNameStaysInside(logName))
        throw RuntimeError(CodePage::toUnicode(AdminSettings::logNameOutsideText(logName)));
    TextFile::append(FolderBounds::recordPath(Paths::resolve(fileName(logName))), line);
}
