// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The bodies of the fuzz targets, shared by the libFuzzer programs and by the
// normal test that replays the inputs they once failed on. Each runs one input
// in the current directory, which it fills with the files it needs, and checks
// what the code under test promises for any input: no crash, no refused write
// where the write is storable, and every value written read back unchanged.
// The result names what went wrong; it is empty when nothing did.
class FuzzTargets
{
public:
    using Target = QByteArray (*)(QByteArrayView input);

    // Input: four short names (section, key, value, a second section and key),
    // each one length byte and that many bytes, then the file's bytes.
    static QByteArray iniProfile(QByteArrayView input);
    // Input: a question source text.
    static QByteArray questionSource(QByteArrayView input);
    // Input: the settings file.
    static QByteArray settingsLine(QByteArrayView input);
    // Input: the list file.
    static QByteArray userList(QByteArrayView input);
    // Input: a test file.
    static QByteArray testFile(QByteArrayView input);

    // "ini_profile", "question_source", "settings_line", "user_list",
    // "test_file", then the in-memory targets of MemoryTargets: the names of
    // the targets, their corpora and regressions.
    static QList<QByteArray> names();
    static Target byName(const QByteArray &name);
};
