// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// A manual page as the reader sees its words: font changes dropped, escaped
// dashes and dashes as dashes, macro lines kept apart.
QStringList plainLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        line.remove(QRegularExpression(QStringLiteral(R"(\\f[BIRP])")));
        line.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        line.replace(QStringLiteral("\\(em"), QStringLiteral("—"));
        line.remove(QStringLiteral("\\&"));
        lines.append(line);
    }
    return lines;
}

// The headings of the tagged paragraphs in the named sections: one option,
// argument or command each.
QSet<QString> manItems(const QStringList &lines)
{
    static const QStringList Sections{QStringLiteral(".SH АРГУМЕНТЫ"),
                                      QStringLiteral(".SH ПАРАМЕТРЫ"),
                                      QStringLiteral(".SH КОМАНДЫ")};
    QSet<QString> items;
    bool inside = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String(".SH")))
            inside = Sections.contains(lines[i]);
        else if (inside && lines[i] == QLatin1String(".TP") && i + 1 < lines.size())
            items.insert(lines[i + 1].trimmed());
    }
    return items;
}

QStringList manSynopsis(const QStringList &lines)
{
    QStringList synopsis;
    bool inside = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String(".SH")))
            inside = line == QStringLiteral(".SH СИНТАКСИС");
        else if (inside && !line.startsWith(QLatin1Char('.')))
            synopsis.append(line.trimmed());
    }
    return synopsis;
}

// In --help an item is indented by two blanks, its description by six.
QSet<QString> helpItems(const QString &help)
{
    QSet<QString> items;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("  ")) && line.size() > 2 && line.at(2) != u' ')
            items.insert(line.trimmed());
    }
    return items;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString listed(QList<QString> items)
{
    std::sort(items.begin(), items.end());
    return items.join(QStringLiteral(" | "));
}

} // namespace

// The manual pages say what the programs' --help says: the same synopsis,
// the same options, arguments and commands, the same version.
class TestManPages : public QObject
{
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        const QString pages = QStringLiteral(COURSEBOOK_SOURCE_DIR "/packaging/");
        QTest::newRow("coursebook-admin")
            << QStringLiteral(COURSEBOOK_ADMIN) << pages + QStringLiteral("coursebook-admin.1");
#ifdef COURSEBOOK_PROGRAM
        QTest::newRow("coursebook")
            << QStringLiteral(COURSEBOOK_PROGRAM) << pages + QStringLiteral("coursebook.1");
#endif
    }

    void pages()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        const QStringList lines = plainLines(page);
        QVERIFY2(!lines.isEmpty(), qPrintable(page));
        const QString help = run(program, {QStringLiteral("--help")});
        QVERIFY(!help.isEmpty());

        const QSet<QString> inHelp = helpItems(help);
        const QSet<QString> inPage = manItems(lines);
        QVERIFY2(inPage.contains(inHelp), qPrintable(QStringLiteral("missing from the page: ") +
                                                     listed((inHelp - inPage).values())));
        QVERIFY2(inHelp.contains(inPage), qPrintable(QStringLiteral("missing from --help: ") +
                                                     listed((inPage - inHelp).values())));

        const QString usage = QStringLiteral("Использование: ");
        const QStringList synopsis = manSynopsis(lines);
        for (const QString &line : help.split(QLatin1Char('\n'))) {
            if (line.startsWith(usage))
                QVERIFY2(synopsis.contains(line.mid(usage.size())), qPrintable(line));
        }

        // "coursebook-admin 1.0" and ".TH ... "coursebook 1.0"".
        const QString version = run(program, {QStringLiteral("--version")}).trimmed();
        const QString number = version.section(QLatin1Char(' '), -1);
        QVERIFY2(!number.isEmpty(), qPrintable(version));
        QVERIFY2(lines.value(0).startsWith(QLatin1String(".TH ")) &&
                     lines.value(0).contains(QStringLiteral("\"coursebook %1\"").arg(number)),
                 qPrintable(lines.value(0)));
    }
};

QTEST_GUILESS_MAIN(TestManPages)
#include "tst_ManPages.moc"
