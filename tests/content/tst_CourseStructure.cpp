// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "CourseStructure.h"
#include "TempWorkDir.h"
#include "UnlockTable.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using Role = MenuTree::Role;

namespace {

QByteArray data(const QString &name)
{
    QFile file(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One line per entry, in the columns of the dump of the tree as it was
// compiled in: name, caption, parent, order among its siblings, kind, target,
// the entry's own visibility before log-in, for a student and for the
// administrator, its picture, whether it hides during a test, the tests it
// waits for.
QStringList dump(const CourseStructure &course)
{
    QStringList lines;
    QHash<QString, int> order;
    for (const MenuTree::Entry &e : course.entries()) {
        QStringList columns = {e.name,
                               e.caption,
                               e.parent,
                               QString::number(order[e.parent]++),
                               QString::number(int(e.kind)),
                               e.argument};
        for (const Role role : {Role::Guest, Role::Student, Role::Administrator})
            columns.append(QString::number(int(e.visibleFor(role))));
        columns << QString::number(int(e.hasPicture())) << (e.hideDuringTest ? u"hide"_s : u"-"_s)
                << e.after.join(u',');
        lines.append(columns.join(u'\t'));
    }
    return lines;
}

} // namespace

class tst_CourseStructure : public QObject
{
    Q_OBJECT

private slots:
    void defaultIsTheCompiledTree();
    void roundTrip();
    void encodings_data();
    void encodings();
    void findings_data();
    void findings();
    void courseKeys();
    void folderFile();
    void finalTestWaitsForAll();
};

void tst_CourseStructure::defaultIsTheCompiledTree()
{
    const CourseStructure &course = CourseStructure::defaultCourse();
    QVERIFY2(course.findings().isEmpty(), qPrintable(course.findingsText()));
    QStringList expected = QString::fromUtf8(data(u"default-tree.tsv"_s)).split(u'\n');
    expected.removeFirst();
    expected.removeAll(QString());
    // The compiled table listed the menu bar first; each line carries its
    // parent and its place among its siblings, so the order of lines is free.
    QStringList actual = dump(course);
    actual.sort();
    expected.sort();
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
    QCOMPARE(course.startPage(), u"\\data\\help\\sod.htm"_s);
    QVERIFY(!course.scriptsAllowed());
}

void tst_CourseStructure::roundTrip()
{
    for (const QByteArray &text :
         {CourseStructure::defaultText(), data(u"networks-course.ini"_s)}) {
        const CourseStructure first = CourseStructure::parse(text);
        QVERIFY(first.findings().isEmpty());
        const CourseStructure second = CourseStructure::parse(first.text());
        QVERIFY2(second.findings().isEmpty(), qPrintable(second.findingsText()));
        QCOMPARE(dump(second), dump(first));
        QCOMPARE(second.title(), first.title());
        QCOMPARE(second.startPage(), first.startPage());
    }
}

void tst_CourseStructure::encodings_data()
{
    QTest::addColumn<QByteArray>("raw");
    const QString text =
        u"[menu]\r\ngroup g \"Тема «один» \"\"два\"\"\"\r\n  page p \"П\" a\\b.htm\r\n"_s;
    QTest::newRow("UTF-8, CR LF") << text.toUtf8();
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("Windows-1251") << CodePage::fromUnicode(text);
    QTest::newRow("LF") << text.toUtf8().replace("\r\n", "\n");
}

void tst_CourseStructure::encodings()
{
    QFETCH(QByteArray, raw);
    const CourseStructure course = CourseStructure::parse(raw);
    QVERIFY2(course.findings().isEmpty(), qPrintable(course.findingsText()));
    QCOMPARE(course.entries().size(), 2);
    QCOMPARE(course.entries().at(0).caption, u"Тема «один» \"два\""_s);
    QCOMPARE(course.entries().at(1).parent, u"g"_s);
}

void tst_CourseStructure::findings_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");
    const QByteArray head = "[menu]\ngroup g \"Г\"\n";
    QTest::newRow("unknown kind") << head + "  link x \"X\" a.htm\n" << 3 << u"вид пункта"_s;
    QTest::newRow("unknown option") << head + "  page x \"X\" a.htm bold\n" << 3 << u"параметр"_s;
    QTest::newRow("duplicate name") << head + "  page G \"X\" a.htm\n" << 3 << u"строке 2"_s;
    QTest::newRow("test outside") << head + "  test test11 \"X\"\n" << 3 << u"test1 … test10"_s;
    QTest::newRow("page outside") << head + "  page x \"X\" ..\\..\\etc\\passwd\n"
                                  << 3 << u"вне папки"_s;
    QTest::newRow("program path") << head + "  show x \"X\" C:\\Windows\\calc.exe\n"
                                  << 3 << u"вне папки"_s;
    QTest::newRow("after names no test") << head + "  page x \"X\" a.htm after=test2\n"
                                         << 3 << u"нет такого теста"_s;
    QTest::newRow("mixed indentation") << head + "  page x \"X\" a.htm\n\tpage y \"Y\" b.htm\n"
                                       << 4 << u"смешивает"_s;
    QTest::newRow("under no group") << head + "  page x \"X\" a.htm\n    page y \"Y\" b.htm\n"
                                    << 4 << u"не группа"_s;
    QTest::newRow("open quote") << head + "  page x \"X a.htm\n" << 3 << u"кавычка"_s;
    QTest::newRow("caption length")
        << head + "  page x \"" + QByteArray(CourseStructure::MaxCaption + 1, 'a') + "\" a.htm\n"
        << 3 << u"длиннее"_s;
    QTest::newRow("unknown command") << head + "  command x \"X\" rm\n" << 3 << u"команда"_s;
    QTest::newRow("outside sections") << QByteArray("page x \"X\" a.htm\n") << 1 << u"вне"_s;
    QTest::newRow("waits for itself")
        << head + "  test test1 \"1\" after=test2\n  test test2 \"2\" after=test1\n"
        << 3 << u"сам себя"_s;
    QTest::newRow("empty group") << QByteArray("[menu]\ngroup g \"Г\"\n") << 2 << u"пуста"_s;
    QTest::newRow("scripts value")
        << QByteArray("[course]\nscripts = maybe\n") << 2 << u"on или off"_s;
}

void tst_CourseStructure::findings()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, says);
    const CourseStructure course = CourseStructure::parse(text);
    const QString listed = course.findingsText();
    QVERIFY2(listed.contains(u"строка %1: "_s.arg(line)) &&
                 listed.section(u"строка %1: "_s.arg(line), 1).section(u'\n', 0, 0).contains(says),
             qPrintable(listed));
}

void tst_CourseStructure::courseKeys()
{
    const CourseStructure course =
        CourseStructure::parse("[course]\ntitle = \"Сети\"\nscripts = on\nstart = "
                               "\\data\\s.htm\n[menu]\ncommand e \"В\" exit\n");
    QVERIFY(course.findings().isEmpty());
    QCOMPARE(course.title(), u"Сети"_s);
    QVERIFY(course.scriptsAllowed());
    QCOMPARE(course.startPage(), u"\\data\\s.htm"_s);
}

void tst_CourseStructure::folderFile()
{
    TempWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!CourseStructure::load(dir.path()).fromFile());
    QVERIFY(dir.write(u"Course.INI"_s, data(u"networks-course.ini"_s)));
    const CourseStructure course = CourseStructure::load(dir.path());
    QVERIFY(course.fromFile() && !course.broken());
    QCOMPARE(course.tests().size(), 4);

    // A broken file shows the help group and the exit with the findings.
    QVERIFY(dir.write(u"Course.INI"_s, "[menu]\ngroup g \"Г\"\n  tset x \"X\"\n"));
    const CourseStructure broken = CourseStructure::load(dir.path());
    QVERIFY(broken.broken());
    QStringList top;
    for (const MenuTree::Entry &e : broken.children(QString()))
        top.append(e.caption);
    QCOMPARE(top, QStringList({u"Помощь"_s, u"Выход"_s}));
    QVERIFY(broken.findingsText().contains(u"строка 3: ошибка: неизвестный вид"_s));
}

void tst_CourseStructure::finalTestWaitsForAll()
{
    const CourseStructure course = CourseStructure::parse(data(u"networks-course.ini"_s));
    const UnlockTable table(course);
    QCOMPARE(table.entries("test3"), QList<QByteArray>({"test4"}));
    const auto openOf = [&](const QList<QByteArray> &passed) {
        QStringList open;
        for (const UnlockTable::State &s : table.states(passed))
            open.append(QString::fromLatin1(s.name) + (s.open ? u"+"_s : u"-"_s));
        return open.join(u' ');
    };
    QCOMPARE(openOf({"test1", "test3"}), u"t2+ test2+ t3- test3- test4-"_s);
    QCOMPARE(openOf({"test1", "test2", "test3"}), u"t2+ test2+ t3+ test3+ test4+"_s);
    QCOMPARE(UnlockTable::missing(*course.find(u"test4"_s), {"test2"}),
             QStringList({u"test1"_s, u"test3"_s}));
    QVERIFY(course.shownTo(*course.find(u"settings"_s), Role::Administrator));
    QVERIFY(!course.shownTo(*course.find(u"t1"_s), Role::Guest));
}

QTEST_GUILESS_MAIN(tst_CourseStructure)
#include "tst_CourseStructure.moc"
