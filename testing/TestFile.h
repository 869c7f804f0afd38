// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <memory>

class IniSnapshot;

// A test file as a test run reads it: "\data\tests\" + test name + ".ini"
// below the working directory, one value per read, each through the store's
// unscrambling read. A missing file, section or key reads as the store's
// unscrambled missing-value marker.
class TestFile
{
public:
    static const QByteArray Folder; // "\data\tests\"

    explicit TestFile(const QByteArray &testName);

    // A test file under any name relative to the working directory.
    static TestFile atRelativeName(const QByteArray &relativeName);

    // The file read once, as it stands now, answering every read below with
    // what a read of that one value would give. The tool reads whole tests
    // this way; a test run keeps to one read per value.
    static TestFile readWhole(const QByteArray &relativeName);
    // The same from the file's bytes as read once.
    static TestFile ofBytes(const QByteArray &relativeName, const QByteArray &bytes);

    // Why a run of the test cannot begin, worded for the box that says so;
    // empty when it can. Without its file every question would be the
    // missing-value marker, and without a count of at least one the grade
    // would divide by nothing.
    static QByteArray startRefusal(const QByteArray &testName);
    // What keeps the test from being run or graded, in Russian ("файл теста
    // не найден"); empty when nothing does.
    static QString fault(const QByteArray &testName);

    const QByteArray &relativeName() const { return m_relativeName; }

    QByteArray question(int k) const;
    // Answer 1 … 5 (A … E) of question k, its "A)" … "E)" prefix included.
    QByteArray answer(int k, int i) const;
    // One digit "1" … "5" in a well-formed file.
    QByteArray rightAnswer(int k) const;

    // "vsego" of "inf" as stored.
    QByteArray countText() const;
    // The question count; throws RuntimeError "'%s' is not a valid integer
    // value" when the stored text is not a decimal integer or is missing.
    int count() const;

private:
    struct RelativeName
    {
        QByteArray name;
    };
    explicit TestFile(RelativeName name);

    QByteArray value(const QByteArray &section, const QByteArray &key) const;

    QByteArray m_relativeName;
    std::shared_ptr<const IniSnapshot> m_whole;
};
