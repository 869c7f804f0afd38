// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionDump.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QFile>
#include <QTest>

#include <memory>

namespace {

using Run = ToolRun;

const QStringList Formats = {QStringLiteral("aiken"), QStringLiteral("gift"),
                             QStringLiteral("moodle-xml")};

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempWorkDir> m_dir;

    Run run(const QStringList &args)
    {
        return ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), args, m_dir->path(), 60000);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        QVERIFY(m_dir->isCurrent());
    }

    void cleanup() { m_dir.reset(); }

    // Each sample test of the bundled course, built from its source at build
    // time: export, import and convert give the same questions, answers and
    // right answers.
    void sampleTestsComeBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("test");
        for (const QString &format : Formats) {
            for (int n = 1; n <= 10; ++n) {
                const QString test = QStringLiteral("test%1").arg(n);
                QTest::newRow(qPrintable(format + QLatin1Char(' ') + test)) << format << test;
            }
        }
    }

    void sampleTestsComeBack()
    {
        QFETCH(QString, format);
        QFETCH(QString, test);
        QFile sample(QStringLiteral(COURSEBOOK_BINARY_DIR "/course/data/tests/") + test +
                     QStringLiteral(".ini"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QVERIFY(m_dir->write(QStringLiteral("original.ini"), sample.readAll()));
        const QList<QByteArray> original = QuestionDump::asked("\\original.ini");
        QVERIFY(original.size() > 1);
        const QString count = QString::fromLatin1(original.first());

        const Run exported = run({"export", format, "original.ini", "--out", "bank"});
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(exported.errText(), count + QStringLiteral(" questions exported, 0 skipped\n"));
        QVERIFY(QString::fromUtf8(m_dir->read(QStringLiteral("bank"))).toUtf8() ==
                m_dir->read(QStringLiteral("bank")));

        const Run imported = run({"import", format, "bank", "--out", "again.txt"});
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(imported.errText(), count + QStringLiteral(" questions imported, 0 skipped\n"));

        QCOMPARE(run({"convert", "again.txt", "again"}).exitCode, 0);
        QCOMPARE(QuestionDump::asked("\\again.ini"), original);
    }

    void reportsWhatTheFormatCannotKeep_data()
    {
        QTest::addColumn<QString>("format");
        for (const QString &format : Formats)
            QTest::newRow(qPrintable(format)) << format;
    }

    void reportsWhatTheFormatCannotKeep()
    {
        QFETCH(QString, format);
        const QByteArray name = "\\t.ini";
        const char *keys[] = {"q", "a1", "a2", "a3", "a4", "a5", "ap"};
        const QList<QList<QByteArray>> questions = {
            {"One", "A) a ", "B) b", "C)", "D)", "E)", "1"},
            {"Two", "A) a", "B) b", "C) c", "D) d", "E) e", "7"},
            {"Three", "A) a", "B)  b ", "C) c", "D) d", "E) e", "2"},
            {"Closing", "A) a", "B) b", "C) c", "D) d", "E) e", "1"}};
        for (int k = 0; k < questions.size(); ++k) {
            for (int i = 0; i < 7; ++i)
                Store::write(QByteArray::number(k + 1), keys[i], questions[k][i], name);
        }
        Store::write("inf", "vsego", "3", name);

        const Run r = run({"export", format, "t.ini"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.errText(),
                 QStringLiteral("вопрос 2: пропущен: правильный ответ «7» не цифра от 1 до 5\n"
                                "вопрос 3: ответ B вернётся при импорте как «B) b»\n"
                                "2 questions exported, 1 skipped\n"));
        const QString out = QString::fromUtf8(r.out);
        QVERIFY(out.contains(QLatin1String("One")));
        QVERIFY(!out.contains(QLatin1String("Two")));
        QVERIFY(!out.contains(QLatin1String("Closing")));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing test")
            << QStringList{"export", "gift", "none.ini"} << "File not found";
        QTest::newRow("unknown format")
            << QStringList{"export", "csv", "t.ini"} << "неизвестный формат csv";
        QTest::newRow("count not a number")
            << QStringList{"export", "aiken", "bad.ini"} << "is not a valid integer value";
    }

    void failures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        Store::write("inf", "vsego", "x", "\\bad.ini");
        const Run r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), qPrintable(r.errText()));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
