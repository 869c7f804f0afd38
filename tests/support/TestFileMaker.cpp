// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFileMaker.h"

#include "CodePage.h"
#include "Store.h"
#include "TestFile.h"

#include <QDir>

void TestFileMaker::write(const QByteArray &testName, const QByteArray &rightDigits)
{
    QDir().mkpath(QStringLiteral("data/tests"));
    QList<IniProfile::Entry> entries;
    for (qsizetype k = 1; k <= rightDigits.size(); ++k) {
        const QByteArray section = QByteArray::number(k);
        entries.append({section, "q", CodePage::fromUnicode(QStringLiteral("Вопрос %1").arg(k))});
        for (char letter = 'A'; letter <= 'E'; ++letter)
            entries.append({section, "a" + QByteArray::number(letter - 'A' + 1),
                            QByteArray(1, letter) + ") " + section});
        entries.append({section, "ap", QByteArray(1, rightDigits.at(k - 1))});
    }
    entries.append({"inf", "vsego", QByteArray::number(rightDigits.size())});
    Store::writeMany(entries, TestFile::Folder + testName + ".ini");
}
