// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accounts.h"
#include "ClassFolder.h"
#include "ClassReport.h"
#include "CodePage.h"
#include "FolderStore.h"
#include "LogDate.h"
#include "ReportCsv.h"
#include "RuntimeError.h"
#include "TempWorkDir.h"
#include "UserList.h"

#include <QDir>
#include <QTest>
#include <memory>

namespace {

// The rows of RFC 4180 text with ";" between fields, as a spreadsheet splits
// them; false when the text breaks the rules.
bool splitCsv(const QString &text, QList<QStringList> *rows)
{
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            row.append(field);
            field.clear();
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text[++i] != QLatin1Char('\n'))
                return false;
            row.append(field);
            rows->append(row);
            row.clear();
            field.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('"')) {
            return false;
        } else {
            field += c;
        }
    }
    return !quoted && row.isEmpty() && field.isEmpty();
}

} // namespace

class tst_ReportCsv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyFieldAsStored();
    void fieldsQuotedWhereNeeded_data();
    void fieldsQuotedWhereNeeded();

private:
    std::unique_ptr<TempWorkDir> m_dir;
};

void tst_ReportCsv::init()
{
    m_dir = std::make_unique<TempWorkDir>();
    QVERIFY(m_dir->isCurrent());
}

void tst_ReportCsv::cleanup()
{
    m_dir.reset();
}

void tst_ReportCsv::everyFieldAsStored()
{
    ClassFolder folder;
    const QList<QByteArray> names{CodePage::fromUnicode(QStringLiteral("Иванов Иван")),
                                  "semi;colon", "say \"hi\"", "idle"};
    for (const QByteArray &name : names)
        folder.registerUser(name);
    UserList::add("nobody"); // listed without a record
    // A record the list lacks.
    QVERIFY(m_dir->write("users.ini", m_dir->read("users.ini") + "[ghost]\r\npassword=x\r\n"));
    folder.storeGrade(names[0], 2, "4");
    folder.storeGrade(names[0], 3, "x");
    folder.storeGrade(names[1], 5, "261");
    const QDateTime start(QDate(2026, 11, 30), QTime(9, 0));
    for (int i = 0; i < 12; ++i)
        folder.finishRun(names[i % 3], 1 + i % 4, 1 + i % 5, start.addDays(i / 2));
    folder.appendLine("a broken line");
    folder.finishRun(CodePage::fold(names[0]), 1, 5, start.addDays(9));

    const QByteArray csv = ReportCsv::write(ClassReport::read(FolderStore(QDir::currentPath())));
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QList<QStringList> rows;
    QVERIFY(splitCsv(QString::fromUtf8(csv.mid(3)), &rows));
    QCOMPARE(rows.size(), 1 + names.size() + 2);
    QCOMPARE(rows.first().size(), 23);
    QCOMPARE(rows.first()[1], QStringLiteral("test1"));
    QCOMPARE(rows.first()[11], QStringLiteral("Попыток test1"));

    for (qsizetype u = 0; u < names.size(); ++u) {
        const QStringList &row = rows[u + 1];
        const QByteArray &name = names[u];
        QCOMPARE(row.size(), 23);
        QCOMPARE(row[0], CodePage::toUnicode(name));
        for (int k = 1; k <= ClassReport::Tests; ++k) {
            // Empty where the test was not taken: no grade 1 … 5, or the 1
            // registration stores for test1 without a run.
            QString expected;
            try {
                const int grade = Accounts::readGrade(name, k);
                if (grade >= 1 && grade <= 5 && !(k == 1 && grade == 1 && !folder.runs(name, 1)))
                    expected = QString::number(grade);
            } catch (const RuntimeError &) {
            }
            QCOMPARE(row[k], expected);
            QCOMPARE(row[10 + k], QString::number(folder.runs(name, k)));
        }
        const QDate last = folder.lastDate(name);
        QCOMPARE(row[21], last.isValid() ? LogDate::show(last) : QString());
    }
    // Both kinds of a name the list and users.ini do not share say so.
    const QStringList &nobody = rows[rows.size() - 2];
    QCOMPARE(nobody[0], QStringLiteral("nobody"));
    for (int k = 1; k <= ClassReport::Tests; ++k)
        QVERIFY(nobody[k].isEmpty());
    QVERIFY2(nobody[22].contains(QStringLiteral("нет записи в users.ini")), qPrintable(nobody[22]));
    const QStringList &ghost = rows.last();
    QCOMPARE(ghost.size(), 23);
    QCOMPARE(ghost[0], QStringLiteral("ghost"));
    QVERIFY2(ghost[22].contains(QStringLiteral("нет в списке users")), qPrintable(ghost[22]));
}

void tst_ReportCsv::fieldsQuotedWhereNeeded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << QStringLiteral("Анна") << QStringLiteral("Анна");
    QTest::newRow("blanks kept") << QStringLiteral(" a b ") << QStringLiteral(" a b ");
    QTest::newRow("separator") << QStringLiteral("a;b") << QStringLiteral("\"a;b\"");
    QTest::newRow("quote") << QStringLiteral("a\"b") << QStringLiteral("\"a\"\"b\"");
    QTest::newRow("line end") << QStringLiteral("a\r\nb") << QStringLiteral("\"a\r\nb\"");
    QTest::newRow("comma stays") << QStringLiteral("a,b") << QStringLiteral("a,b");
    QTest::newRow("formula") << QStringLiteral("=HYPERLINK(\"http://x\";\"a\")")
                             << QStringLiteral("\"'=HYPERLINK(\"\"http://x\"\";\"\"a\"\")\"");
    for (const char *start : {"+1", "-1", "@SUM(A1)", "\tx", "\rx"})
        QTest::newRow(start) << QString::fromLatin1(start)
                             << (start[0] == '\r' ? QStringLiteral("\"'%1\"")
                                                  : QStringLiteral("'%1"))
                                    .arg(QString::fromLatin1(start));
}

void tst_ReportCsv::fieldsQuotedWhereNeeded()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(ReportCsv::field(text), field);
}

QTEST_GUILESS_MAIN(tst_ReportCsv)
#include "tst_reportcsv.moc"
