// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionSource.h"
#include "SourceChecker.h"
#include "TempWorkDir.h"
#include "ToolRun.h"

#include <QFile>
#include <QTest>

#include <memory>

namespace {

using Run = ToolRun;

QString bank(const char *name)
{
    return QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/testing/interchange/") +
           QLatin1String(name);
}

} // namespace

class TestImportCommand : public QObject
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

    void listedInTheHelp()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("import FORMAT FILE [--out SOURCE]"));
        QVERIFY(r.out.contains("export FORMAT FILE [--out OUT]"));
    }

    void importsABank_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("findings");
        QTest::newRow("aiken")
            << "aiken" << bank("aiken/bank.txt") << 1 << "4 questions imported, 5 skipped"
            << QStringList{
                   "строка 17: пропущен: ответов 6, а в тесте их не больше пяти",
                   "строка 29: символы, которых нет в кодировке Windows-1251, заменены на «?»: ≠",
                   "строка 45: текст вопроса читался бы как строка ответа"};
        QTest::newRow("aiken, whole") << "aiken" << bank("aiken/cp1251-cr.txt") << 0
                                      << "1 questions imported, 0 skipped" << QStringList{};
        QTest::newRow("gift")
            << "gift" << bank("gift/bank.gift") << 1 << "7 questions imported, 10 skipped"
            << QStringList{
                   "строка 2: категория «$course$/Сети/Адресация» не переносится",
                   "строка 42 «Открыта»: пропущен: фигурная скобка из строки 42 не закрыта"};
        QTest::newRow("moodle-xml")
            << "moodle-xml" << bank("quizxml/bank.xml") << 1 << "4 questions imported, 11 skipped"
            << QStringList{"вопрос 3 «Картинка»: изображения и другие вставки удалены",
                           "вопрос 9 «Эссе»: пропущен: вопрос типа «essay» не переносится"};
    }

    void importsABank()
    {
        QFETCH(QString, format);
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        QFETCH(QString, summary);
        QFETCH(QStringList, findings);

        const Run toFile = run({"import", format, file, "--out", "source.txt"});
        QCOMPARE(toFile.exitCode, exitCode);
        QVERIFY(toFile.out.isEmpty());
        QVERIFY2(toFile.errText().endsWith(summary + QLatin1Char('\n')),
                 qPrintable(toFile.errText()));
        for (const QString &f : findings)
            QVERIFY2(toFile.errText().contains(f), qPrintable(f));
        const QByteArray source = m_dir->read(QStringLiteral("source.txt"));

        const Run toOut = run({"import", format, file});
        QCOMPARE(toOut.exitCode, exitCode);
        QCOMPARE(toOut.out, source);
        QCOMPARE(toOut.errText(), toFile.errText());

        // What came across converts without a remark, in the code page and
        // line ends the conversion reads.
        const SourceChecker::Report report = SourceChecker::check(source);
        QVERIFY(report.clean());
        QVERIFY(!report.utf8);
        QCOMPARE(source.count("\r\n"), source.count('\n'));
        const int imported = summary.section(QLatin1Char(' '), 0, 0).toInt();
        QCOMPARE(report.questionLines, imported + 1);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown format")
            << QStringList{"import", "qti", "x.txt"}
            << "неизвестный формат qti; форматы: aiken, gift, moodle-xml";
        QTest::newRow("missing file")
            << QStringList{"import", "gift", "none.gift", "--out", "s.txt"} << "File not found";
        QTest::newRow("huge file")
            << QStringList{"import", "aiken", "huge.txt", "--out", "s.txt"} << "больше 64 МБ";
        QTest::newRow("entity declarations")
            << QStringList{"import", "moodle-xml", "bomb.xml", "--out", "s.txt"}
            << "строка 4: файл объявляет сущности XML";
        QTest::newRow("too few arguments")
            << QStringList{"import", "gift"} << "неверное число аргументов";
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFile huge(m_dir->filePath(QStringLiteral("huge.txt")));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(64 * 1024 * 1024 + 1));
        huge.close();
        QVERIFY(m_dir->write(QStringLiteral("bomb.xml"),
                             "<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n<!ENTITY a \"aaaa\">\n]>\n"
                             "<quiz><question type=\"truefalse\"><name><text>&a;</text></name>"
                             "</question></quiz>\n"));
        const Run r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), qPrintable(r.errText()));
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("s.txt"))));
    }

    void hugeBankIsReadInOnePass()
    {
        QByteArray text;
        for (int n = 0; n < 20000; ++n)
            text += "::" + QByteArray::number(n) + ":: Question " + QByteArray::number(n) +
                    " {=right ~wrong one ~wrong two ~wrong three}\n\n";
        QVERIFY(m_dir->write(QStringLiteral("big.gift"), text));
        const Run r = run({"import", "gift", "big.gift", "--out", "big.txt"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.errText(), QStringLiteral("20000 questions imported, 0 skipped\n"));
        QCOMPARE(QuestionSource::split(m_dir->read(QStringLiteral("big.txt"))).size(),
                 20000 * 7 + 1);
    }
};

QTEST_GUILESS_MAIN(TestImportCommand)
#include "tst_importcommand.moc"
