// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "CodePage.h"
#include "RemovedUsers.h"
#include "Store.h"
#include "TempWorkDir.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRemovedUsers : public QObject
{
    Q_OBJECT

private slots:
    void keptIn_data();
    void keptIn();
    void keepThenFind();
};

namespace {

QByteArray removedLine(const char *when)
{
    return "; " + CodePage::fromUnicode(u"удалён "_s) + when + "\r\n";
}

} // namespace

void TestRemovedUsers::keptIn_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("removed"); // per section kept under "anna", oldest first
    QTest::addColumn<QList<int>>("firstGrades");
    const QByteArray anna = "[anna]\r\npassword=x\r\ntest1=" + Store::encode("4") +
                            "\r\ntest2=" + Store::encode("abc") + "\r\n";
    QTest::newRow("two removals, any letter case, another user between")
        << removedLine("2026-01-10 09:00:00") + anna + removedLine("2026-01-11 10:00:00") +
               "[boris]\r\n" + removedLine("2026-02-01 08:30:00") + "[ANNA]\r\n"
        << QStringList{u"2026-01-10 09:00:00"_s, u"2026-02-01 08:30:00"_s}
        << QList<int>{4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // Broken input: a section without its comment line, a date that is none.
    QTest::newRow("no comment line")
        << anna << QStringList{u"?"_s} << QList<int>{4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("no date") << removedLine("вчера") + anna << QStringList{u"?"_s}
                             << QList<int>{4, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QList<int>{};
}

void TestRemovedUsers::keptIn()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, removed);
    QFETCH(QList<int>, firstGrades);
    const QList<RemovedUsers::Kept> kept = RemovedUsers::keptIn(file, "Anna");
    QStringList dates;
    for (const RemovedUsers::Kept &k : kept)
        dates.append(QString::fromLatin1(k.removedText()));
    QCOMPARE(dates, removed);
    if (!kept.isEmpty()) {
        QCOMPARE(kept.first().grades, firstGrades);
        QVERIFY(kept.first().section.startsWith("[anna]"));
    }
}

void TestRemovedUsers::keepThenFind()
{
    TempWorkDir dir;
    QVERIFY(dir.isCurrent());
    QCOMPARE(Accounts::registerUser("anna", "pw", "admin").refusal, Refusal::None);
    Store::write("anna", "test3", "5", Accounts::UsersIni);
    const QByteArray ini = dir.read(u"users.ini"_s);
    // A file that does not end its last line gets one before the comment.
    QVERIFY(dir.write(u"removed-users.ini"_s, "; hand-made"));
    const QDateTime when(QDate(2026, 3, 5), QTime(10, 15, 30));
    RemovedUsers::keep("ANNA", when);
    RemovedUsers::keep("nobody", when);
    QVERIFY(dir.read(u"removed-users.ini"_s)
                .startsWith("; hand-made\r\n" + removedLine("2026-03-05 10:15:30")));
    const QList<RemovedUsers::Kept> kept = RemovedUsers::allKept("anna");
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().removed, when);
    QCOMPARE(kept.first().grades.value(2), 5);
    // The section as users.ini held it, byte for byte.
    QVERIFY(ini.contains(kept.first().section));
}

QTEST_GUILESS_MAIN(TestRemovedUsers)
#include "tst_removedusers.moc"
