// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "ClassFolder.h"
#include "ClassReport.h"
#include "CodePage.h"
#include "CourseInfo.h"
#include "FolderStore.h"
#include "ReportCsv.h"
#include "ReportHtml.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>
#include <memory>

namespace {

struct Cell
{
    QString text;
    QString kind; // the class attribute
};

// What the page says, read as the XML it is: the rows of each table by its
// id, the whole text, every element name and every link.
struct Page
{
    QHash<QString, QList<QList<Cell>>> tables;
    QString text;
    QSet<QString> elements;
    QStringList links;
    QString error;
};

Page readPage(const QByteArray &html)
{
    Page page;
    QXmlStreamReader xml(html);
    QString table;
    QList<Cell> *row = nullptr;
    Cell *cell = nullptr;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            const QString name = xml.name().toString();
            page.elements.insert(name);
            for (const char *link : {"href", "src", "xlink:href"}) {
                if (xml.attributes().hasAttribute(QLatin1String(link)))
                    page.links.append(xml.attributes().value(QLatin1String(link)).toString());
            }
            if (name == QLatin1String("table") && xml.attributes().hasAttribute("id"))
                table = xml.attributes().value("id").toString();
            else if (name == QLatin1String("tr") && !table.isEmpty())
                row = &page.tables[table].emplaceBack();
            else if ((name == QLatin1String("td") || name == QLatin1String("th")) && row)
                cell =
                    &row->emplaceBack(Cell{QString(), xml.attributes().value("class").toString()});
            break;
        }
        case QXmlStreamReader::EndElement:
            if (xml.name() == QLatin1String("table"))
                table.clear();
            else if (xml.name() == QLatin1String("tr"))
                row = nullptr;
            else if (xml.name() == QLatin1String("td") || xml.name() == QLatin1String("th"))
                cell = nullptr;
            break;
        case QXmlStreamReader::Characters:
            page.text += xml.text();
            if (cell)
                cell->text += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        page.error = xml.errorString();
    return page;
}

} // namespace

class tst_ReportHtml : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tablesSayWhatTheFilesHold();
    void everyUnreadablePartIsListed();
    void itemTablesShowEachQuestion();
    void standsAlone();
    void courseOfItsOwnHeadsTheTables();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_ReportHtml::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_ReportHtml::cleanup()
{
    m_dir.reset();
}

void tst_ReportHtml::tablesSayWhatTheFilesHold()
{
    ClassFolder folder;
    const QList<QByteArray> names{CodePage::fromUnicode(QStringLiteral("Петрова Анна")), "<b>&amp;",
                                  "boris"};
    for (const QByteArray &name : names)
        folder.registerUser(name);
    const QDateTime when(QDate(2026, 12, 1), QTime(10, 0));
    const int grades[][3] = {{5, 4, 2}, {2, 0, 0}, {3, 3, 3}};
    for (qsizetype u = 0; u < names.size(); ++u) {
        for (int k = 1; k <= 3; ++k) {
            if (!grades[u][k - 1])
                continue;
            folder.storeGrade(names[u], k, QByteArray::number(grades[u][k - 1]));
            folder.finishRun(names[u], k, grades[u][k - 1], when.addDays(k));
        }
    }
    folder.finishRun(names[1], 1, 1, when);

    const Page page =
        readPage(ReportHtml::write(ClassReport::read(FolderStore(QDir::currentPath())), when));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(page.text.contains(CourseInfo::Title));
    QVERIFY(page.text.contains(QStringLiteral("Составлен 01.12.2026")));

    const QList<QList<Cell>> rows = page.tables.value(QStringLiteral("class"));
    QCOMPARE(rows.size(), 1 + names.size());
    for (qsizetype u = 0; u < names.size(); ++u) {
        const QList<Cell> &row = rows[u + 1];
        QCOMPARE(row.size(), 2 + ClassReport::Tests + 3);
        QCOMPARE(row[1].text, CodePage::toUnicode(names[u]));
        int reached = 1;
        int runs = 0;
        for (int k = 1; k <= ClassReport::Tests; ++k) {
            const quint8 grade = Accounts::readGrade(names[u], k);
            const Cell &cell = row[1 + k];
            QVERIFY2(cell.text.endsWith(QString::number(grade)), qPrintable(cell.text));
            // Told apart by a mark as well as by the colour of the class.
            if (folder.runs(names[u], k) && grade >= 3) {
                QCOMPARE(cell.kind, QStringLiteral("pass"));
                QVERIFY(cell.text.startsWith(QChar(0x2713)));
            } else if (folder.runs(names[u], k)) {
                QCOMPARE(cell.kind, QStringLiteral("fail"));
                QVERIFY(cell.text.startsWith(QChar(0x2717)));
            } else {
                QCOMPARE(cell.kind, QStringLiteral("none"));
            }
            if (k < ClassReport::Tests && grade >= 3)
                reached = k + 1;
            runs += folder.runs(names[u], k);
        }
        QCOMPARE(row[12].text, QStringLiteral("№%1").arg(reached));
        QCOMPARE(row[13].text, QString::number(runs));
        QCOMPARE(row[14].text, folder.lastDate(names[u]).toString(QStringLiteral("dd.MM.yyyy")));
    }

    // Test 1: grades 5, 2 and 3 among three takers, two passed; four runs by three.
    const QList<QList<Cell>> test1 = page.tables.value(QStringLiteral("test1"));
    QCOMPARE(test1.size(), 3);
    QCOMPARE(test1[0][1].text, QStringLiteral("2 из 3 (66,7 %)"));
    QCOMPARE(test1[1][1].text, QStringLiteral("4"));
    QCOMPARE(test1[2][1].text, QStringLiteral("1,3"));
    QVERIFY(page.tables.contains(QStringLiteral("test3")));
    QVERIFY(!page.tables.contains(QStringLiteral("test4")));
}

void tst_ReportHtml::everyUnreadablePartIsListed()
{
    ClassFolder folder;
    folder.registerUser("anna");
    folder.registerUser("boris");
    folder.storeGrade("anna", 4, "four");
    folder.storeGrade("anna", 5, "9");
    UserList::add("vera");
    Store::write("gleb", "test1", "3", Accounts::UsersIni);
    const QDateTime when(QDate(2026, 12, 1), QTime(10, 0));
    folder.finishRun("anna", 1, 4, when);
    const int fields = folder.appendLine("anna | 10:00 | 01.12.2026 | test1");
    folder.appendLine(QByteArray("\x1a"));
    const int test = folder.appendLine("anna | 10:00 | 01.12.2026 | test12 | 4");
    const int grade = folder.appendLine("anna | 10:00 | 01.12.2026 | test1 | 7");
    const int date = folder.appendLine("anna | 10:00 | 32.12.2026 | test1 | 4");
    // A name holding what the page's own text templates use.
    folder.finishRun("stranger %1", 2, 3, when);

    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    const Page page = readPage(ReportHtml::write(report, when));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    const QString problems = page.text.mid(page.text.indexOf(QStringLiteral("Что не удалось")));
    for (const QString &says :
         {QStringLiteral("нет записи в users.ini: 1.") + QStringLiteral(" vera"),
          QStringLiteral("которых нет в списке users: 1.") + QStringLiteral(" gleb"),
          QStringLiteral("anna — test4: «four»"), QStringLiteral("anna — test5: 9"),
          QStringLiteral("Номера строк: %1–%2.").arg(fields).arg(fields + 1),
          QStringLiteral("Номера строк: %1.").arg(test),
          QStringLiteral("Номера строк: %1.").arg(grade),
          QStringLiteral("Номера строк: %1.").arg(date),
          QStringLiteral("stranger %1 — попыток: 1 (первая в строке ") +
              QString::number(folder.lines())})
        QVERIFY2(problems.contains(says), qPrintable(says));
    // vera: no record; anna's test4 and test5; five lines; one stranger; gleb.
    QCOMPARE(report.problemCount(), 10);
}

void tst_ReportHtml::itemTablesShowEachQuestion()
{
    ClassFolder folder;
    const QByteArray version = ClassFolder::writeTest(
        2, {"2 + 2?", CodePage::fromUnicode(QStringLiteral("Столица <b>"))}, "31");
    const QList<QByteArray> students{"anna", "boris", "vera", "gleb"};
    for (int i = 0; i < 4; ++i)
        folder.recordAnswers(students[i], 2, version, QList<QByteArray>{"31", "31", "21", "22"}[i],
                             "31");
    folder.recordAnswers("anna", 2, "0000aaaa", "1", "1");
    const int bad =
        folder.appendRecordLine("anna | 2026-12-01 10:00:00 | test2 | 3 | 0000aaaa | 12 | 11");

    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    const Page page = readPage(ReportHtml::write(report, QDateTime::currentDateTime()));
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    const QList<QList<Cell>> now =
        page.tables.value(QStringLiteral("items-test2-") + QString::fromLatin1(version));
    QCOMPARE(now.size(), 3);
    // №, text, runs, facility, discrimination, A … E, chart, flags.
    QCOMPARE(now[1].size(), 12);
    QCOMPARE(now[1][1].text, QStringLiteral("2 + 2?"));
    QCOMPARE(now[2][1].text, QStringLiteral("Столица <b>"));
    QCOMPARE(now[1][2].text, QStringLiteral("4"));
    // r = 0.5 / sqrt(1 * 0.75) for either question.
    QCOMPARE(now[1][3].text, QStringLiteral("50,0"));
    QCOMPARE(now[1][4].text, QStringLiteral("0,58"));
    QCOMPARE(now[1][5].text, QStringLiteral("0"));
    QCOMPARE(now[1][6].text, QStringLiteral("2"));
    QCOMPARE(now[1][7].kind, QStringLiteral("key"));
    QCOMPARE(now[1][7].text, QStringLiteral("\u2713\u00A02"));
    QVERIFY(now[1][10].text.contains(QStringLiteral("верный ответ C")));
    QCOMPARE(now[2][3].text, QStringLiteral("75,0"));
    QCOMPARE(now[2][4].text, QStringLiteral("0,58"));
    QCOMPARE(now[2][9].text, QStringLiteral("0"));
    QCOMPARE(now[2][5].kind, QStringLiteral("key"));
    QCOMPARE(now[2][6].text, QStringLiteral("1"));
    QCOMPARE(now[2][11].text, QString());

    const QList<QList<Cell>> older = page.tables.value(QStringLiteral("items-test2-0000aaaa"));
    QCOMPARE(older.size(), 2);
    QCOMPARE(older[1][1].text, QStringLiteral("другая версия теста"));
    QCOMPARE(older[1][2].text, QStringLiteral("1"));
    QVERIFY(page.text.contains(
        QStringLiteral("Номера строк в %1: %2.").arg(report.items.path).arg(bad)));
    QCOMPARE(report.items.bad.size(), 1);
}

void tst_ReportHtml::standsAlone()
{
    ClassFolder folder;
    folder.registerUser("anna");
    folder.finishRun("anna", 1, 4, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    const QByteArray html = ReportHtml::write(ClassReport::read(FolderStore(QDir::currentPath())),
                                              QDateTime::currentDateTime());
    const Page page = readPage(html);
    QVERIFY2(page.error.isEmpty(), qPrintable(page.error));
    QVERIFY(!page.elements.contains(QStringLiteral("script")));
    QVERIFY(!page.elements.contains(QStringLiteral("link")));
    QVERIFY(!page.elements.contains(QStringLiteral("img")));
    QVERIFY(page.elements.contains(QStringLiteral("svg")));
    for (const QString &link : page.links)
        QVERIFY2(link.startsWith(QLatin1Char('#')), qPrintable(link));
    QVERIFY(!html.contains("url("));
    QVERIFY(html.contains("@media print"));
    QVERIFY(html.contains("size: A4"));
}

// The folder's course gives the title and the tests, headed with their
// captions in its order, in the page and in the table.
void tst_ReportHtml::courseOfItsOwnHeadsTheTables()
{
    QVERIFY(
        QFile::copy(QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"),
                    m_dir->filePath(QStringLiteral("course.ini"))));
    ClassFolder folder;
    folder.registerUser("anna");
    folder.storeGrade("anna", 4, "5");
    folder.finishRun("anna", 4, 5, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    const ClassReport report = ClassReport::read(FolderStore(QDir::currentPath()));
    QVERIFY(
        ReportCsv::write(report).startsWith("\xEF\xBB\xBFПользователь;Тест по теме 1;Тест по "
                                            "теме 2;Тест по теме 3;Итоговый тест;Попыток Тест"));
    const Page page = readPage(ReportHtml::write(report, QDateTime()));
    QVERIFY(page.text.contains(QStringLiteral("Основы компьютерных сетей")));
    // The class table's headings, one after another.
    QVERIFY(page.text.contains(QStringLiteral("УченикТест по теме 1Тест по теме 2Тест по теме "
                                              "3Итоговый тестДостигнут")));
    QVERIFY(page.text.contains(QStringLiteral("Итоговый тест: число учеников с оценкой 1–5")));
}

QTEST_GUILESS_MAIN(tst_ReportHtml)
#include "tst_reporthtml.moc"
