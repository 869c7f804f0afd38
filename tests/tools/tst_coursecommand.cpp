// SPDX-License-Identifier: GPL-3.0-or-later
// coursebook-admin course: the teacher's check, view, import and export of a
// course folder's course.ini, run as the teacher runs them.
#include "CourseStructure.h"
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QFile>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray data(const QString &path)
{
    QFile file(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/") + path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ToolRun course(const TempWorkDir &dir, const QStringList &args)
{
    return ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), QStringList{u"course"_s} + args,
                        dir.path(), 60000);
}

// The pages the small course opens, present in the folder.
void writePages(const TempWorkDir &dir)
{
    for (const QString &page : {u"data/info/1.htm"_s, u"data/info/2.htm"_s, u"data/info/3.htm"_s})
        QVERIFY(dir.write(page, "<html></html>"));
}

} // namespace

class TestCourseCommand : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void show();
    void exportDefault();
    void importManifest();
};

void TestCourseCommand::check_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");
    const QByteArray small = data(u"content/data/networks-course.ini"_s);
    QTest::newRow("clean") << small << 0 << QStringList();
    QTest::newRow("seeded errors")
        << QByteArray("[menu]\ngroup g \"G\"\n  page a \"A\" \\data\\info\\1.htm\n"
                      "  page A \"B\" \\data\\info\\2.htm\n  pgae c \"C\" x.htm\n"
                      "  page d \"D\" \\data\\none.htm after=test9\n")
        << 1
        << QStringList({u"строка 4: ошибка: имя A уже есть в строке 3"_s,
                        u"строка 5: ошибка: неизвестный вид пункта «pgae»"_s,
                        u"строка 6: ошибка: after=test9"_s, u"строка 6: ошибка: нет файла"_s});
    // Topic 1, open at once, links to topic 2, which waits for test 1.
    QTest::newRow("early link") << small << 0
                                << QStringList({u"строка 9: предупреждение: открытая сразу "
                                                u"страница t1 ссылается на t2"_s});
}

void TestCourseCommand::check()
{
    QFETCH(QByteArray, text);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    TempWorkDir dir;
    writePages(dir);
    if (QByteArray(QTest::currentDataTag()) == "early link")
        QVERIFY(dir.write(u"data/info/1.htm"_s, "<a href=\"2.htm\">далее</a>"));
    QVERIFY(dir.write(CourseStructure::FileName, text));
    QFile::setPermissions(dir.filePath(CourseStructure::FileName),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const ToolRun r = course(dir, {u"check"_s});
    QCOMPARE(r.exitCode, exitCode);
    for (const QString &line : lines)
        QVERIFY2(r.outText().contains(line), qPrintable(r.outText()));
    QCOMPARE(r.outText().contains(u"ошибка"_s), exitCode != 0);

    // The students' group could rewrite the file and open every topic.
    QFile::setPermissions(dir.filePath(CourseStructure::FileName), QFileDevice::ReadOwner |
                                                                       QFileDevice::WriteOwner |
                                                                       QFileDevice::WriteGroup);
    QVERIFY(course(dir, {u"check"_s}).outText().contains(u"группа или все могут изменить"_s));
}

void TestCourseCommand::show()
{
    TempWorkDir dir;
    QVERIFY(dir.write(CourseStructure::FileName, data(u"content/data/networks-course.ini"_s)));
    const QString student = course(dir, {u"show"_s, u"--grades"_s, u"3,0,5"_s}).outText();
    QVERIFY2(student.contains(u"\n  2. Адресация IPv4\n"_s), qPrintable(student));
    QVERIFY(student.contains(u"  3. Маршрутизация  [закрыто: нужен тест «Тест по теме 2»]"_s));
    QVERIFY(student.contains(u"Итоговый тест  [закрыто: нужен тест «Тест по теме 2»]"_s));
    QVERIFY(!student.contains(u"Настройки администратора"_s));
    const QString admin = course(dir, {u"show"_s, u"--as"_s, u"admin"_s}).outText();
    QVERIFY(admin.contains(u"  Настройки администратора\n"_s) && !admin.contains(u"закрыто"_s));
}

void TestCourseCommand::exportDefault()
{
    TempWorkDir dir;
    const ToolRun r = course(dir, {u"export-default"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, CourseStructure::defaultText());
    QCOMPARE(course(dir, {u"export-default"_s, u"--out"_s, u"course.ini"_s}).exitCode, 0);
    QCOMPARE(dir.read(u"course.ini"_s), r.out);
    // A file a teacher wrote is never replaced.
    QCOMPARE(course(dir, {u"export-default"_s, u"--out"_s, u"course.ini"_s}).exitCode, 1);
}

void TestCourseCommand::importManifest()
{
    TempWorkDir dir;
    QVERIFY(dir.write(u"imsmanifest.xml"_s, data(u"tools/data/imsmanifest.xml"_s)));
    for (const QString &page : {u"content/osi.html"_s, u"content/tcp ip.html"_s, u"glossary.htm"_s})
        QVERIFY(dir.write(page, "<html></html>"));
    const ToolRun r = course(dir, {u"import"_s, u"imsmanifest.xml"_s});
    QCOMPARE(r.exitCode, 0);
    const QString out = r.outText();
    for (const QString &line : {u"imsmanifest.xml:18: параметры «?part=2» пункта TCPIP"_s,
                                u"imsmanifest.xml:20: <imsss:sequencing> не перенесено"_s,
                                u"imsmanifest.xml:32: организация ORG_SHORT"_s,
                                u"imsmanifest.xml:44: ресурс RES_WEB вне пакета"_s})
        QVERIFY2(out.contains(line), qPrintable(out));
    const CourseStructure draft = CourseStructure::parse(dir.read(CourseStructure::FileName));
    QVERIFY(draft.findings().isEmpty());
    QCOMPARE(draft.find(u"TCPIP"_s)->caption, u"Стек \"TCP/IP\""_s);
    QCOMPARE(draft.find(u"TCPIP"_s)->target, u"\\content\\tcp ip.html"_s);
    QVERIFY(draft.find(u"GLOSSARY"_s)->hidden);
    QCOMPARE(course(dir, {u"check"_s}).exitCode, 0);
}

QTEST_GUILESS_MAIN(TestCourseCommand)
#include "tst_coursecommand.moc"
