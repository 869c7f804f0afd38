// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "QuestionDump.h"
#include "QuestionSource.h"
#include "SourceExport.h"
#include "Store.h"
#include "TempWorkDir.h"
#include "TestConverter.h"
#include "TestFile.h"
#include "ToolRun.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {

using Run = ToolRun;

QByteArray cp1251(const QString &text)
{
    return CodePage::fromUnicode(text);
}

const QByteArray Good =
    cp1251(QStringLiteral("Что хранит байт?\r\nA) 4 бита\r\nB) 8 бит*\r\nC) 16 бит\r\nD) 2 бита\r\n"
                          "E) 1 бит\r\n********\r\nСколько будет 2*2?\r\nA) 3\r\nB) 5\r\nC) 6\r\n"
                          "D) 4*\r\nE) 22\r\n********\r\nКонец теста\r\n"));

// Every file below the folder with its bytes.
QMap<QString, QByteArray> folderBytes(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(QDir(folder).relativeFilePath(file.fileName()),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

} // namespace

class TestAdminTool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempWorkDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    Run run(const QStringList &args, const QString &workingDirectory = QString(),
            const QByteArray &input = QByteArray())
    {
        return ToolRun::run(QStringLiteral(COURSEBOOK_ADMIN), args,
                            workingDirectory.isEmpty() ? m_dir->path() : workingDirectory, 30000,
                            input);
    }

    // A class folder with its settings and two students with grades, a log
    // and an answer record that name them.
    void makeClass()
    {
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QCOMPARE(run({"register", "anna", "pw1"}).exitCode, 0);
        QCOMPARE(run({"register", QStringLiteral("Борис"), "pw2"}).exitCode, 0);
        for (int k = 1; k <= 10; ++k) {
            Store::write("anna", "test" + QByteArray::number(k), QByteArray::number(k % 5 + 1),
                         "\\users.ini");
            Store::write(cp1251(QStringLiteral("Борис")), "test" + QByteArray::number(k),
                         QByteArray::number((k + 2) % 5 + 1), "\\users.ini");
        }
        QVERIFY(m_dir->write(
            "log.txt", cp1251(QStringLiteral("anna | 10:00:00 | 01.12.2026 | test1 | 5\r\n"
                                             "БОРИС | 10:05:00 | 01.12.2026 | test1 | 4\r\n"
                                             "annabel | 10:06:00 | 01.12.2026 | test1 | 3\r\n"))));
        QVERIFY(m_dir->write("log-answers.txt",
                             cp1251(QStringLiteral("Борис | 2026-12-01 10:05:00 | test1 | 4 | "
                                                   "0a1b2c3d | 1234 | 1235\r\n"))));
    }

    // The bytes of the first section so named, header to the next header.
    static QByteArray section(const QByteArray &ini, const QByteArray &name)
    {
        const qsizetype begin = ini.indexOf("[" + name + "]");
        if (begin < 0)
            return QByteArray("<none>");
        const qsizetype end = ini.indexOf("\n[", begin);
        return ini.mid(begin, end < 0 ? -1 : end + 1 - begin);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TempWorkDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(m_dir->isCurrent());
    }

    void cleanup() { m_dir.reset(); }

    void help()
    {
        const Run r = run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        for (const char *synopsis :
             {"convert SOURCE NAME [--into DIR] [--force]", "check SOURCE",
              "show FILE [--source [--cp1251]]", "users [--dir DIR]",
              "register NAME [PASSWORD] [--dir DIR]", "remove NAME [--dir DIR]",
              "passwd NAME [--dir DIR]", "rename OLD NEW [--dir DIR]", "restore --list NAME",
              "archive DEST [--dir DIR]", "regrade testN [--dry-run] [--dir DIR]",
              "grade NAME testN G --reason TEXT [--dir DIR]"})
            QVERIFY2(r.out.contains(synopsis), synopsis);
        QVERIFY(r.outText().contains(QStringLiteral("Команды:")));
        QCOMPARE(run({QStringLiteral("show"), QStringLiteral("--help")}).exitCode, 0);
        // The source format where a teacher converting a test looks for it.
        const Run convert = run({QStringLiteral("convert"), QStringLiteral("--help")});
        QVERIFY2(convert.outText().contains(QStringLiteral("B) 8*")), convert.out.constData());
    }

    void wrongUse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << QString();
        QTest::newRow("unknown command")
            << QStringList{"frobnicate"} << QStringLiteral("неизвестная команда frobnicate");
        QTest::newRow("too few arguments")
            << QStringList{"convert", "a.txt"} << QStringLiteral("неверное число аргументов");
        QTest::newRow("too many arguments")
            << QStringList{"check", "a", "b"} << QStringLiteral("неверное число аргументов");
        QTest::newRow("unknown option") << QStringList{"show", "x.ini", "--sauce"}
                                        << QStringLiteral("неизвестный параметр --sauce");
        QTest::newRow("option without value")
            << QStringList{"users", "--dir"} << QStringLiteral("у параметра --dir нет значения");
        QTest::newRow("flag with a value")
            << QStringList{"show", "x.ini", "--source=yes"}
            << QStringLiteral("у параметра --source не бывает значения");
        QTest::newRow("unknown single-dash option")
            << QStringList{"show", "x.ini", "-x"} << QStringLiteral("неизвестный параметр -x");
        QTest::newRow("unknown option of the tool")
            << QStringList{"--frob", "users"} << QStringLiteral("неизвестный параметр --frob");
    }

    void optionSpellings()
    {
        // A value joined with "=", and a password that looks like an option
        // after the end of the options.
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        const Run r =
            run({"register", "--dir=" + m_dir->path(), "carl", "--", "-pw"}, QDir::rootPath());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(Store::read("carl", "password", "\\users.ini"), QByteArray("-pw"));
    }

    void wrongUse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), r.err.constData());
    }

    void usersOfANewInstallation()
    {
        // An empty list file and no users.ini yet.
        QVERIFY(m_dir->write("users", QByteArray()));
        const Run r = run({"users"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.isEmpty());
    }

    void registerAndRemoveAClass()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("data/info"));
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        const QString anna = QStringLiteral("Анна");
        QCOMPARE(run({"register", anna, "pw1"}).exitCode, 0);
        QCOMPARE(
            run({"register", "boris", "pw2", "--dir", m_dir->path()}, QDir::rootPath()).exitCode,
            0);
        QCOMPARE(m_dir->read("users"), cp1251(anna) + "\r\nboris\r\n");
        QCOMPARE(Store::read(cp1251(anna), "password", "\\users.ini"), QByteArray("pw1"));
        QCOMPARE(Store::read("boris", "test1", "\\users.ini"), QByteArray("1"));
        QCOMPARE(Store::read("boris", "test12", "\\users.ini"), QByteArray("0"));

        // Refusals write nothing to either file. Which names and passwords
        // are refused is the accounts' rule.
        const QByteArray ini = m_dir->read("users.ini");
        for (const QStringList &args :
             {QStringList{"register", "BORIS", "x"}, QStringList{"register", "vera", "??????"}}) {
            const Run r = run(args);
            QCOMPARE(r.exitCode, 1);
            QVERIFY(!r.err.isEmpty());
        }
        QCOMPARE(m_dir->read("users.ini"), ini);
        QCOMPARE(m_dir->read("users"), cp1251(anna) + "\r\nboris\r\n");

        // Removal finds the name in any letter case and asks no password.
        QCOMPARE(run({"remove", QStringLiteral("аННА")}).exitCode, 0);
        QCOMPARE(m_dir->read("users"), QByteArray("boris\r\n"));
        QCOMPARE(Store::read(cp1251(anna), "password", "\\users.ini"), Store::missing());
        QCOMPARE(run({"remove", "nobody"}).exitCode, 1);
        QCOMPARE(m_dir->read("users"), QByteArray("boris\r\n"));

        // A name the list holds without a record is what `users` reports;
        // `remove` cleans it up.
        QVERIFY(m_dir->write("users", "boris\r\nghost\r\n"));
        QCOMPARE(run({"remove", "GHOST"}).exitCode, 0);
        QCOMPARE(m_dir->read("users"), QByteArray("boris\r\n"));
    }

    void gradesSurviveEveryAccountChange()
    {
        makeClass();
        // A new password from standard input, the name in another case; what
        // a change keeps and takes along is the changes' own rule.
        const Run passwd = run({"passwd", "ANNA"}, QString(), "new-pw\n");
        QCOMPARE(passwd.exitCode, 0);
        QCOMPARE(Store::read("anna", "password", "\\users.ini"), QByteArray("new-pw"));
        const Run rename = run({"rename", QStringLiteral("борис"), QStringLiteral("Борис Ким")});
        QCOMPARE(rename.exitCode, 0);
        QVERIFY2(rename.outText().contains(QStringLiteral("строк журнала: 1, записей ответов: 1")),
                 rename.out.constData());
        const QByteArray kim = cp1251(QStringLiteral("Борис Ким"));
        QCOMPARE(m_dir->read("users"), "anna\r\n" + kim + "\r\n");

        // Removal keeps the section; restore brings it back byte for byte.
        const QByteArray annaNow = section(m_dir->read("users.ini"), "anna");
        QCOMPARE(run({"remove", "anna"}).exitCode, 0);
        QCOMPARE(section(m_dir->read("users.ini"), "anna"), QByteArray("<none>"));
        const QByteArray kept = m_dir->read("removed-users.ini");
        QVERIFY2(kept.startsWith("; " + cp1251(QStringLiteral("удалён ")) +
                                 QDate::currentDate().toString(Qt::ISODate).toLatin1()),
                 kept.constData());
        QCOMPARE(run({"restore", "ANNA"}).exitCode, 0);
        QCOMPARE(section(m_dir->read("users.ini"), "anna"), annaNow);
        QCOMPARE(m_dir->read("users"), kim + "\r\nanna\r\n");

        // The archive holds the records as they were; the class starts empty.
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());
        QTemporaryDir out;
        const QString dest = QDir(out.path()).filePath("2026");
        const Run archive = run({"archive", dest});
        QCOMPARE(archive.exitCode, 0);
        for (const QString &name :
             QStringList{"users.ini", "users", "log.txt", "log-answers.txt", "removed-users.ini"}) {
            QFile copy(QDir(dest).filePath(name));
            QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(copy.readAll(), before.value(name));
            QCOMPARE(m_dir->read(name), QByteArray());
        }
        QCOMPARE(m_dir->read("data/info/tumb.db"), before.value("data/info/tumb.db"));
        QFile csv(QDir(dest).filePath("report.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readAll().contains("anna;"));
        QVERIFY(QFile::exists(QDir(dest).filePath("report.html")));
        // The class registers anew; the archive refuses a folder in use.
        QCOMPARE(run({"register", "anna", "pw"}).exitCode, 0);
        const Run again = run({"archive", dest});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.errText().contains(QStringLiteral("не пуста")), again.err.constData());
        QCOMPARE(Store::read("anna", "password", "\\users.ini"), QByteArray("pw"));
    }

    void accountRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("readOnly"); // a file made read-only first
        QTest::newRow("passwd of no one")
            << QStringList{"passwd", "nobody"} << QStringLiteral("nobody не зарегистрирован")
            << QString();
        // Which names a rename refuses is the administrator's changes' own
        // rule; this row wires a refusal to the message.
        QTest::newRow("rename onto another user")
            << QStringList{"rename", "anna", QStringLiteral("БОРИС")}
            << QStringLiteral("уже зарегистрирован") << QString();
        QTest::newRow("restore of a name never removed")
            << QStringList{"restore", "anna"} << QStringLiteral("не найден среди удалённых")
            << QString();
        QTest::newRow("regrade of a test without its file")
            << QStringList{"regrade", "test9"} << QStringLiteral("тест 9 не пересчитан: файл теста")
            << QString();
        QTest::newRow("grade without a reason")
            << QStringList{"grade", "anna", "test1", "5", "--reason", " "}
            << QStringLiteral("Нужна причина") << QString();
        QTest::newRow("archive into a folder in use")
            << QStringList{"archive", "data"} << QStringLiteral("не пуста") << QString();
        // Everything or nothing: the log's lines cannot be renamed, so
        // nothing is.
        QTest::newRow("rename with the log a named pipe")
            << QStringList{"rename", "anna", "anya"} << QStringLiteral("именованный канал")
            << QString();
        QTest::newRow("convert into a link")
            << QStringList{"convert", "source.txt", "test1", "--into", "tests"}
            << QStringLiteral("ссылка на") << QString();
        // A test is one of the course's, which the refusal names.
        QTest::newRow("grade of a test the course lacks")
            << QStringList{"grade", "anna", "test11", "5", "--reason", "x"}
            << QStringLiteral("Нет теста test11 в курсе; его тесты: test1 «Тестирование №1», ")
            << QString();
        QTest::newRow("regrade of a test the folder's course lacks")
            << QStringList{"regrade", "test5"}
            << QStringLiteral("его тесты: test1 «Тест по теме 1», test2 «Тест по теме 2», test3 "
                              "«Тест по теме 3», test4 «Итоговый тест».")
            << QString();
        // The runtime's words come after the Russian ones.
        QTest::newRow("register into a read-only users.ini")
            << QStringList{"register", "vera", "pw"}
            << QStringLiteral("register: Не удалось записать файл ") << QStringLiteral("users.ini");
    }

    void accountRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(QString, readOnly);
        makeClass();
        const QTemporaryDir elsewhere;
        if (QTest::currentDataTag() == QLatin1String("rename with the log a named pipe"))
            QVERIFY(QFile::remove("log.txt") && ::mkfifo("log.txt", 0666) == 0);
        if (QTest::currentDataTag() == QLatin1String("convert into a link"))
            QVERIFY(m_dir->write("source.txt", Good) && QFile::link(elsewhere.path(), "tests"));
        if (QTest::currentDataTag() == QLatin1String("regrade of a test the folder's course lacks"))
            QVERIFY(QFile::copy(
                QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"),
                "course.ini"));
        if (!readOnly.isEmpty())
            QVERIFY(QFile::setPermissions(path(readOnly), QFileDevice::ReadOwner));
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());
        const Run r = run(args, QString(), "pw\n");
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), r.err.constData());
        QCOMPARE(folderBytes(m_dir->path()), before);
    }

    // A student removed, registered again and removed again: restore picks
    // neither removal by itself, lists both, takes the one dated; over an
    // account registered again it asks, then keeps the better grades.
    void restorePicksTheRemoval()
    {
        makeClass();
        QCOMPARE(run({"remove", "anna"}).exitCode, 0);
        const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toLatin1();
        QVERIFY(m_dir->write("removed-users.ini",
                             m_dir->read("removed-users.ini").replace(" " + today, " 2026-01-10")));
        QCOMPARE(run({"register", "Anna", "other"}).exitCode, 0);
        QCOMPARE(run({"remove", "anna"}).exitCode, 0);
        const QByteArray ini = m_dir->read("users.ini");
        const Run both = run({"restore", "anna"});
        QCOMPARE(both.exitCode, 1);
        QVERIFY2(both.errText().contains(QStringLiteral("несколько раз")), both.err.constData());
        QCOMPARE(m_dir->read("users.ini"), ini);
        const QStringList listed = run({"restore", "--list", "anna"}).outText().split(u'\n');
        QVERIFY2(listed.value(0).startsWith(QStringLiteral("удалён 2026-01-10 ")) &&
                     listed.value(0).endsWith(QStringLiteral("оценки 2 3 4 5 1 2 3 4 5 1")) &&
                     listed.value(1).startsWith(QStringLiteral("удалён ") + today),
                 qPrintable(listed.join(u'\n')));
        QCOMPARE(run({"restore", "anna", "--date", "2026-01-10"}).exitCode, 0);
        QCOMPARE(Store::read("anna", "test3", "\\users.ini"), QByteArray("4"));

        QCOMPARE(run({"remove", "anna"}).exitCode, 0);
        QCOMPARE(run({"register", "anna", "new"}).exitCode, 0);
        Store::write("anna", "test5", "4", "\\users.ini");
        const Run asked = run({"restore", "anna", "--date", "2026-01-10"});
        QCOMPARE(asked.exitCode, 1);
        QVERIFY2(asked.errText().contains(QStringLiteral("--keep-best")), asked.err.constData());
        QCOMPARE(run({"restore", "anna", "--date", "2026-01-10", "--keep-best"}).exitCode, 0);
        QCOMPARE(Store::read("anna", "test5", "\\users.ini"), QByteArray("4"));
    }

    void roster_data()
    {
        QTest::addColumn<QByteArray>("roster");
        QTest::addColumn<QStringList>("refusals"); // on standard error, in order
        // The reading's rules are the roster's own; these rows wire its
        // outcomes to the command's output and the folder.
        QTest::newRow("UTF-8, both separators, a blank line")
            << QByteArray("ФИО;Пароль\nВера; vera-pw\n\nГлеб\tgleb-pw\r\nДина\n") << QStringList{};
        QTest::newRow("columns without a header")
            << QByteArray("Вера;vera-pw\nГлеб;ИВТ-21\n")
            << QStringList{QStringLiteral("coursebook-admin: в списке несколько столбцов, а "
                                          "первая строка их не называет")};
        QTest::newRow("every refusal with its line")
            << QByteArray("ФИО;Пароль\nВера\nanna\n[x]\nадмин\nвЕРА\nЖанна;??????\nadmin\n")
            << QStringList{
                   QStringLiteral("строка 3: Пользователь с таким именем уже зарегистрирован."),
                   QStringLiteral("строка 4: Имя пользователя не может содержать"),
                   QStringLiteral("строка 6: имя уже есть в строке 2."),
                   QStringLiteral("строка 7: Пароль \"??????\" нельзя использовать"),
                   QStringLiteral("строка 8: Это имя занято администратором."),
                   QStringLiteral("coursebook-admin: строк с ошибками: 5")};
    }

    void roster()
    {
        QFETCH(QByteArray, roster);
        QFETCH(QStringList, refusals);
        makeClass();
        QVERIFY(m_dir->write("class.txt", roster));
        QTemporaryDir out;
        const QString sheet = QDir(out.path()).filePath("sheet.html");
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());
        const Run preview = run({"register", "--roster", "class.txt", "--preview"});
        QCOMPARE(folderBytes(m_dir->path()), before);
        const Run r = run({"register", "--roster", "class.txt", "--sheet", sheet});
        if (!refusals.isEmpty()) {
            QCOMPARE(r.exitCode, 1);
            const QStringList lines = r.errText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), refusals.size());
            for (qsizetype i = 0; i < refusals.size(); ++i)
                QVERIFY2(lines[i].startsWith(refusals[i]), qPrintable(lines[i]));
            QCOMPARE(folderBytes(m_dir->path()), before);
            QVERIFY(!QFile::exists(sheet));
            return;
        }
        QCOMPARE(preview.exitCode, 0);
        QVERIFY2(preview.outText().contains(
                     QStringLiteral("будет зарегистрирован Дина (пароль будет создан)")),
                 preview.out.constData());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(m_dir->read("users"), "anna\r\n" + cp1251(QStringLiteral("Борис\r\nВера\r\n"
                                                                          "Глеб\r\nДина\r\n")));
        const QByteArray glebNow =
            Store::read(cp1251(QStringLiteral("Глеб")), "password", "\\users.ini");
        const QByteArray made =
            Store::read(cp1251(QStringLiteral("Дина")), "password", "\\users.ini");
        QCOMPARE(made.size(), 8);
        for (const char c : made)
            QVERIFY2(QByteArray("abcdefghjkmnpqrstuvwxyz23456789").contains(c), made.constData());
        QCOMPARE(glebNow, QByteArray("gleb-pw"));
        QFile page(sheet);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QCOMPARE(html.count(QStringLiteral("<div class=\"slip\">")), 3);
        for (const auto &[name, password] :
             {std::pair{QStringLiteral("Глеб"), glebNow}, std::pair{QStringLiteral("Дина"), made}})
            QVERIFY(html.contains(QStringLiteral("<b class=\"n\">%1</b></p><p>Пароль: <b "
                                                 "class=\"p\">%2</b></p><p class=\"how\">Как войти")
                                      .arg(name, QString::fromLatin1(password))));
    }

    void rosterSheetPrinted()
    {
        makeClass();
        QVERIFY(m_dir->write("class.txt", "Vera\n"));
        QTemporaryDir out;
        const QString pdf = QDir(out.path()).filePath("sheet.pdf");
        const Run r = run({"register", "--roster", "class.txt", "--sheet",
                           QDir(out.path()).filePath("sheet.html"), "--pdf", pdf});
#ifdef COURSEBOOK_REPORT_PDF
        QCOMPARE(r.exitCode, 0);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
#else
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(QStringLiteral("PDF недоступен")), r.err.constData());
        QVERIFY(!m_dir->read("users").contains("Vera"));
#endif
    }

    void rosterSheetStaysOutOfTheClassFolder()
    {
        makeClass();
        QVERIFY(m_dir->write("class.txt", "Vera\n"));
        const QByteArray users = m_dir->read("users");
        const Run r = run({"register", "--roster", "class.txt", "--sheet", "sub/sheet.html"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(QStringLiteral("лежит в папке класса")), r.err.constData());
        QCOMPARE(m_dir->read("users"), users);
    }

    void passwordRefusalsNameThePassword()
    {
        const Run r = run({"register", "vera", "??????"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(QStringLiteral("Пароль")), r.err.constData());
        QVERIFY(!r.errText().contains(QStringLiteral("users.ini")));
    }

    void eightCopiesRegisterOneName()
    {
        // Every copy spells the name in its own letter case; the check and the
        // writes go under one hold of the locks, so exactly one gets through.
        const QStringList spellings{"Vera", "VERA", "vera", "vERA", "VeRa", "vErA", "VEra", "veRA"};
        std::vector<std::unique_ptr<QProcess>> copies;
        for (const QString &name : spellings) {
            copies.push_back(std::make_unique<QProcess>());
            copies.back()->setWorkingDirectory(m_dir->path());
            copies.back()->start(QStringLiteral(COURSEBOOK_ADMIN),
                                 {QStringLiteral("register"), name, name + QStringLiteral("-pw")});
        }
        int registered = 0;
        QString winner;
        for (size_t i = 0; i < copies.size(); ++i) {
            QVERIFY(copies[i]->waitForFinished(60000));
            const QString err = QString::fromUtf8(copies[i]->readAllStandardError());
            if (copies[i]->exitCode() == 0) {
                ++registered;
                winner = spellings[qsizetype(i)];
            } else {
                QVERIFY2(err.contains(QStringLiteral("уже зарегистрирован")), qPrintable(err));
            }
        }
        QCOMPARE(registered, 1);
        QCOMPARE(m_dir->read("users"), cp1251(winner) + "\r\n");
        QCOMPARE(m_dir->read("users.ini").count("password="), 1);
        QCOMPARE(Store::read("vera", "password", "\\users.ini"), cp1251(winner + "-pw"));
        QVERIFY(!QFile::exists(path("users.ini.lock")));
        QVERIFY(!QFile::exists(path("users.lock")));
    }

    void convertWritesWhatTheWindowWrites()
    {
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), Good));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("data/tests")));
        const Run r = run({QStringLiteral("convert"), path(QStringLiteral("source.txt")),
                           QStringLiteral("Test3"), QStringLiteral("--into"),
                           path(QStringLiteral("data/tests"))});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.outText().contains(QStringLiteral("Создание тестов успешно завершено.")),
                 r.out.constData());
        QVERIFY(r.outText().contains(QStringLiteral("Прочитано строк вопросов: 3")));
        QVERIFY(r.outText().contains(QStringLiteral("Вопросов в тесте: 2")));
        QCOMPARE(r.err, QByteArray());

        TestConverter fresh;
        fresh.convertLines(QuestionSource::split(Good), "\\expected.ini");
        QCOMPARE(m_dir->read(QStringLiteral("data/tests/Test3.ini")),
                 m_dir->read(QStringLiteral("expected.ini")));
        QCOMPARE(TestFile("test3").rightAnswer(2), QByteArray("4"));
    }

    void convertDefaultsToTheCurrentDirectory()
    {
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), Good));
        const Run r =
            run({QStringLiteral("convert"), QStringLiteral("source.txt"), QStringLiteral("Тест")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFile::exists(path(QStringLiteral("Тест.ini"))));
        QCOMPARE(TestFile::atRelativeName(cp1251(QStringLiteral("\\Тест.ini"))).count(), 2);
    }

    void convertFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing source") << QStringList{"convert", "missing.txt", "T"} << Good
                                        << QStringLiteral("File not found");
        QTest::newRow("missing folder")
            << QStringList{"convert", "source.txt", "T", "--into", "nowhere"} << Good
            << QStringLiteral("папка недоступна");
        QTest::newRow("name outside Windows-1251")
            << QStringList{"convert", "source.txt", QStringLiteral("测试")} << Good
            << QStringLiteral("нельзя записать в кодировке Windows-1251");
        QTest::newRow("byte the store cannot hold")
            << QStringList{"convert", "source.txt", "T"}
            << QByteArray(Good).replace("2*2", "2\x1e"
                                               "2")
            << QStringLiteral("строка 8: знак с кодом 30 в позиции 16 нельзя сохранить в файле "
                              "теста");
    }

    void convertFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, source);
        QFETCH(QString, message);
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), source));
        const Run r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), r.err.constData());
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.ini")}), QStringList{});
    }

    void convertRefusesWhatCheckCondemns_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("finding");
        QTest::newRow("no mark") << QByteArray(Good).replace("D) 4*", "D) 4")
                                 << QStringLiteral("строка 8: у вопроса не отмечен");
        QTest::newRow("Cyrillic letters read either way")
            << QByteArray(Good)
                   .replace("A) 3", cp1251(QStringLiteral("А) 3")))
                   .replace("B) 5", cp1251(QStringLiteral("В) 5")))
                   .replace("C) 6", "")
                   .replace("D) 4*", "")
                   .replace("E) 22", "")
            << QStringLiteral("строка 8: ответы отмечены русскими буквами А) В), которые можно "
                              "прочитать и как похожие латинские, и по порядку русского алфавита");
        QTest::newRow("character outside Windows-1251")
            << CodePage::toUnicode(Good).replace(QStringLiteral("22"), QStringLiteral("∑")).toUtf8()
            << QStringLiteral("строка 13: знака «∑» (позиция 4) нет в кодировке Windows-1251");
        QTest::newRow("last question asked by no one")
            << QByteArray(Good).replace(cp1251(QStringLiteral("Конец теста\r\n")), "")
            << QStringLiteral("строка 8: последний вопрос не будет задан");
    }

    void convertRefusesWhatCheckCondemns()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, finding);
        QVERIFY(m_dir->write(QStringLiteral("good.txt"), Good));
        QCOMPARE(run({"convert", "good.txt", "T"}).exitCode, 0);
        const QByteArray working = m_dir->read(QStringLiteral("T.ini"));

        QVERIFY(m_dir->write(QStringLiteral("source.txt"), source));
        const Run checked = run({"check", "source.txt"});
        QCOMPARE(checked.exitCode, 1);
        QVERIFY2(checked.outText().contains(finding), checked.out.constData());
        const Run refused = run({"convert", "source.txt", "T"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.errText().contains(finding), refused.err.constData());
        QVERIFY(refused.errText().contains(QStringLiteral("тест не записан")));
        QCOMPARE(refused.out, QByteArray());
        QCOMPARE(m_dir->read(QStringLiteral("T.ini")), working);

        const Run forced = run({"convert", "source.txt", "T", "--force"});
        QCOMPARE(forced.exitCode, 0);
        QVERIFY(forced.errText().contains(QStringLiteral("их список выводит команда")));
        QVERIFY(m_dir->read(QStringLiteral("T.ini")) != working);
    }

    void sourcesConvertTheWayTheyRead_data()
    {
        // Each source must give the test that the Windows-1251 source Good gives.
        // The other encodings and markers are rows of the question source's
        // decode and markers tables.
        QTest::addColumn<QByteArray>("source");
        const QString good = CodePage::toUnicode(Good);
        QTest::newRow("UTF-8, Russian alphabet order")
            << QString(good)
                   .replace(QStringLiteral("\nA)"), QStringLiteral("\nА)"))
                   .replace(QStringLiteral("\nB)"), QStringLiteral("\nБ)"))
                   .replace(QStringLiteral("\nC)"), QStringLiteral("\nВ)"))
                   .replace(QStringLiteral("\nD)"), QStringLiteral("\nГ)"))
                   .replace(QStringLiteral("\nE)"), QStringLiteral("\nД)"))
                   .toUtf8();
    }

    void sourcesConvertTheWayTheyRead()
    {
        QFETCH(QByteArray, source);
        QVERIFY(m_dir->write(QStringLiteral("good.txt"), Good));
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), source));
        QCOMPARE(run({"convert", "good.txt", "A"}).exitCode, 0);
        const Run r = run({"convert", "source.txt", "B"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(m_dir->read(QStringLiteral("B.ini")), m_dir->read(QStringLiteral("A.ini")));
        const Run checked = run({"check", "source.txt"});
        QCOMPARE(checked.exitCode, 0);
        QVERIFY2(checked.outText().contains(QStringLiteral("Ошибок: 0, замечаний:")),
                 checked.out.constData());
    }

    void sampleSourcesConvertAsBefore()
    {
        // The course's own sources are Windows-1251 with Latin markers: the
        // bytes written must be those a plain line-by-line conversion writes.
        const QDir sources(QStringLiteral(COURSEBOOK_SOURCE_DIR "/course/sources"));
        const QStringList names = sources.entryList({QStringLiteral("*.txt")});
        QVERIFY(!names.isEmpty());
        for (const QString &name : names) {
            QFile file(sources.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            TestConverter plain;
            plain.convertLines(QuestionSource::split(file.readAll()), "\\plain.ini");
            const Run r = run({"convert", file.fileName(), "tool"});
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(m_dir->read("tool.ini") == m_dir->read("plain.ini"), qPrintable(name));
            QVERIFY(QFile::remove(path("tool.ini")) && QFile::remove(path("plain.ini")));
        }
    }

    void check_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected");
        QTest::newRow("well formed")
            << Good << 0 << QStringLiteral("строка 15: завершающая строка вопроса");
        QTest::newRow("Cyrillic look-alike beside Latin letters")
            << cp1251(QStringLiteral("Вопрос\nA) да*\nВ) нет\nC) c\nD) d\nE) e\nКонец\n")) << 0
            << QStringLiteral("строка 1: замечание: ответы отмечены русскими буквами, похожими "
                              "на латинские, и прочитаны как латинские (В)→B)): «Вопрос»");
        QTest::newRow("Cyrillic letter beyond E")
            << cp1251(QStringLiteral("Вопрос\nA) да*\nЖ) нет\nC) c\nD) d\nE) e\nКонец\n")) << 1
            << QStringLiteral("строка 3: строка похожа на ответ");
        QTest::newRow("UTF-8") << QString::fromUtf8("Вопрос\nA) да*\nКонец\n").toUtf8() << 1
                               << QStringLiteral("строка 1: замечание: текст в кодировке UTF-8");
        QTest::newRow("byte the store cannot hold")
            << QByteArray(Good).replace("2*2", "2\x1e"
                                               "2")
            << 1 << QStringLiteral("строка 8: знак с кодом 30 в позиции 16 нельзя сохранить");
        QTest::newRow("CR-only line ends")
            << QByteArray(Good).replace("\r\n", "\r") << 1
            << QStringLiteral("строка 1: строки разделены только знаком CR, без LF");
    }

    void check()
    {
        QFETCH(QByteArray, source);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), source));
        const Run r = run({QStringLiteral("check"), QStringLiteral("source.txt")});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.outText().contains(expected), r.out.constData());
        QCOMPARE(r.outText().contains(QStringLiteral("Ошибок: 0")) ||
                     r.outText().contains(QStringLiteral("Замечаний нет.")),
                 exitCode == 0);
    }

    void checkMissingSource()
    {
        const Run r = run({QStringLiteral("check"), QStringLiteral("none.txt")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.errText().contains(QStringLiteral("File not found")));
    }

    void showPrintsTheQuestions()
    {
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), Good));
        QCOMPARE(run({QStringLiteral("convert"), QStringLiteral("source.txt"), QStringLiteral("T")})
                     .exitCode,
                 0);
        const Run r = run({QStringLiteral("show"), QStringLiteral("T.ini")});
        QCOMPARE(r.exitCode, 0);
        const QString expected = CodePage::toUnicode(Good)
                                     .remove(QLatin1Char('\r'))
                                     .remove(QStringLiteral("Конец теста\n"));
        QCOMPARE(r.outText(), expected);
    }

    void showSourceRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<bool>("sameBytes"); // a source no fresh conversion writes otherwise
        // Whether what show writes is a source convert takes without --force:
        // not a question text that ends with an asterisk, read as a second
        // mark, nor a test without questions.
        QTest::addColumn<bool>("clean");
        QTest::newRow("well formed") << Good << QStringLiteral("UTF-8") << true << true;
        QTest::newRow("well formed, Windows-1251")
            << Good << QStringLiteral("cp1251") << true << true;
        QTest::newRow("answers ending otherwise than in a blank")
            << QByteArray("Q1\nA) a\nB) b*\nC) c\nD) d\nE) e\nQ2\nA) a\nB) b\nC) c\nD) d\nE) e\t*\n"
                          "End\n")
            << QStringLiteral("UTF-8") << true << true;
        QTest::newRow("carried values and marks")
            << QByteArray("\nB) early*\nQ1\nA) a\nC) c*\nD) d\nE) e\nQ2\nA) a2\nB) b2 \nE) e2*\n"
                          "C++?*\nA) x\nClosing\nA) y\n")
            << QStringLiteral("cp1251") << false << false;
        QTest::newRow("no questions")
            << QByteArray("********\n") << QStringLiteral("UTF-8") << false << false;
    }

    void showSourceRoundTrip()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, encoding);
        QFETCH(bool, sameBytes);
        QFETCH(bool, clean);
        QVERIFY(m_dir->write(QStringLiteral("source.txt"), source));
        QCOMPARE(run({"convert", "source.txt", "A", "--force"}).exitCode, 0);
        QStringList show{"show", "A.ini", "--source"};
        if (encoding == QLatin1String("cp1251"))
            show << "--cp1251";
        const Run shown = run(show);
        QCOMPARE(shown.exitCode, 0);
        const QByteArray expected = SourceExport::join(
            SourceExport::build(TestFile::atRelativeName("\\A.ini"), SourceExport::Mode::Conversion)
                .lines);
        QCOMPARE(shown.out, encoding == QLatin1String("cp1251")
                                ? expected
                                : CodePage::toUnicode(expected).toUtf8());
        QVERIFY(m_dir->write(QStringLiteral("again.txt"), shown.out));
        QCOMPARE(run({"convert", "again.txt", "B"}).exitCode, clean ? 0 : 1);
        const Run again = run({"convert", "again.txt", "B", "--force"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(QuestionDump::asked("\\B.ini"), QuestionDump::asked("\\A.ini"));
        if (sameBytes)
            QCOMPARE(m_dir->read("B.ini"), m_dir->read("A.ini"));
    }

    void showRefusesWhatCannotRoundTrip()
    {
        Store::write("1", "q", "Q", "\\bad.ini");
        Store::write("1", "ap", "9", "\\bad.ini");
        Store::write("inf", "vsego", "1", "\\bad.ini");
        const Run r =
            run({QStringLiteral("show"), QStringLiteral("bad.ini"), QStringLiteral("--source")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.errText().contains(QStringLiteral("правильный ответ «9»")), r.err.constData());
        const Run plain = run({QStringLiteral("show"), QStringLiteral("bad.ini")});
        QCOMPARE(plain.exitCode, 0);
        QVERIFY(plain.out.startsWith("Q\n"));
    }

    void showFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file")
            << QStringLiteral("none.ini") << QStringLiteral("File not found");
        QTest::newRow("no count") << QStringLiteral("nocount.ini")
                                  << QStringLiteral("is not a valid integer value");
    }

    void showFailures()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        Store::write("1", "q", "Q", "\\nocount.ini");
        const Run r = run({QStringLiteral("show"), file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), r.err.constData());
    }

    void users()
    {
        const QByteArray ivan = cp1251(QStringLiteral("Иван"));
        Store::write(ivan, "password", "secret", "\\users.ini");
        Store::write(ivan, "test1", "5", "\\users.ini");
        Store::write(ivan, "test12", "0", "\\users.ini");
        Store::write("Petr", "test2", "3", "\\users.ini");
        Store::write("Orphan", "test1", "4", "\\users.ini");
        QVERIFY(m_dir->write(QStringLiteral("users"),
                             cp1251(QStringLiteral("ИВАН\r\npetr\r\nNobody\r\n"))));

        const Run r = run({QStringLiteral("users"), QStringLiteral("--dir"), m_dir->path()},
                          QDir::tempPath());
        QCOMPARE(r.exitCode, 0);
        const QStringList rows = r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(rows, (QStringList{
                           QStringLiteral("Иван\t5\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t0"),
                           QStringLiteral("Petr\t-\t3\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-"),
                           QStringLiteral("Orphan\t4\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-"),
                       }));
        const QString err = r.errText();
        QVERIFY2(err.contains(QStringLiteral("нет раздела в users.ini: Nobody")),
                 r.err.constData());
        QVERIFY2(err.contains(QStringLiteral("которого нет в списке users: Orphan")),
                 r.err.constData());
        QVERIFY(!err.contains(QStringLiteral("Иван")));
        QVERIFY(!err.contains(QStringLiteral("Petr")));
    }

    void usersWithoutFiles()
    {
        const Run r = run({QStringLiteral("users")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(QStringLiteral("File not found")), r.err.constData());
    }

    void reportReadsTheClassAndWritesOnlyItsFiles()
    {
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QCOMPARE(run({"register", "anna", "pw"}).exitCode, 0);
        QCOMPARE(run({"register", "boris", "pw"}).exitCode, 0);
        Store::write("anna", "test1", "4", "\\users.ini");
        QVERIFY(m_dir->write("log.txt", "anna | 10:00:00 | 01.12.2026 | test1 | 4\r\nbroken\r\n"));
        QVERIFY(m_dir->write("log-answers.txt",
                             "anna | 2026-12-01 10:00:00 | test1 | 4 | 0a1b2c3d | 124 | 123\r\n"));
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());

        QTemporaryDir out;
        QStringList args{"report", "--dir", m_dir->path(), "--csv",       "r.csv",    "--html",
                         "r.html", "--ods", "r.ods",       "--items-csv", "items.csv"};
#ifdef COURSEBOOK_REPORT_PDF
        args << "--pdf"
             << "r.pdf";
#endif
        const Run r = run(args, out.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(folderBytes(m_dir->path()), before);
        QVERIFY2(r.errText().contains(QStringLiteral("не прочитано записей и строк: 1")),
                 r.err.constData());

        QFile csv(QDir(out.path()).filePath("r.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().split('\n');
        QCOMPARE(rows.size(), 4);
        // Untaken tests are empty, not the 0 or 1 registration stores.
        QVERIFY2(rows[1].startsWith("anna;4;;;") && rows[1].endsWith(";01.12.2026;\r"),
                 rows[1].constData());
        QVERIFY2(rows[2].startsWith("boris;;;") && rows[2].endsWith(";0;;\r"), rows[2].constData());
        // The spreadsheet as a reader of the format sees it.
        const Run ods =
            ToolRun::run(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/support/ods-cells.py"),
                          QDir(out.path()).filePath("r.ods")},
                         out.path(), 30000);
        QCOMPARE(ods.err, QByteArray());
        const QString empties = QStringLiteral(";:").repeated(9);
        for (const QString &line :
             {QStringLiteral("# Оценки\nstring:Ученик;string:Тест 1;"),
              QStringLiteral("string:anna;float:4") + empties + QStringLiteral(";float:4\n"),
              QStringLiteral("string:boris;:") + empties + QStringLiteral(";:\n"),
              QStringLiteral("# Попытки\nstring:Ученик;string:Дата;string:Время;string:Тест;"
                             "string:Оценка\nstring:anna;date:2026-12-01;time:PT10H00M00S;"
                             "float:1;float:4\n# Анализ вопросов\n"),
              QStringLiteral("float:1;string:0a1b2c3d;float:3;string:;float:1;float:0;:;float:0;"
                             "float:0;float:0;float:1;float:0;string:C;")})
            QVERIFY2(ods.outText().contains(line), qPrintable(line + u'\n' + ods.outText()));
        QFile items(QDir(out.path()).filePath("items.csv"));
        QVERIFY(items.open(QIODevice::ReadOnly));
        const QList<QByteArray> itemRows = items.readAll().split('\n');
        QCOMPARE(itemRows.size(), 1 + 3 + 1);
        QCOMPARE(QString::fromUtf8(itemRows[3]),
                 QStringLiteral("test1;0a1b2c3d;3;1;0,0;;0;0;0;1;0;C;ключ выбирают реже, чем "
                                "неверный ответ\r"));
        QVERIFY2(r.outText().contains(QStringLiteral("записей ответов 1")), r.out.constData());
        QFile html(QDir(out.path()).filePath("r.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        QVERIFY(html.readAll().contains("<svg"));
#ifdef COURSEBOOK_REPORT_PDF
        QFile pdf(QDir(out.path()).filePath("r.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
#else
        const Run refused = run({"report", "--dir", m_dir->path(), "--pdf", "r.pdf"}, out.path());
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.errText().contains(QStringLiteral("PDF недоступен")),
                 refused.err.constData());
#endif
    }

    // A wrong key mended in the test: every recorded run graded again by the
    // mended key, the stored grade changed where it is the last run's, each
    // change in the record of changes that the report shows, beside the
    // grades set by hand.
    void regradeMendsAWrongKey()
    {
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QVERIFY(m_dir->write("source.txt", Good)); // keys B and D
        QVERIFY(QDir(m_dir->path()).mkpath("data/tests"));
        QCOMPARE(run({"convert", "source.txt", "test3", "--into", path("data/tests")}).exitCode, 0);
        for (const char *name : {"anna", "boris", "vera"}) {
            QCOMPARE(run({"register", name, "pw"}).exitCode, 0);
            Store::write(name, "test3", name == QByteArrayView("boris") ? "4" : "3", "\\users.ini");
        }
        // Taken while the second key was E by mistake; vera's run had three
        // questions and cannot be matched.
        QVERIFY(m_dir->write("log-answers.txt",
                             "anna | 2026-12-01 09:00:00 | test3 | 5 | 0a1b2c3d | 25 | 25\r\n"
                             "anna | 2026-12-01 10:00:00 | test3 | 3 | 0a1b2c3d | 24 | 25\r\n"
                             "boris | 2026-12-01 10:05:00 | test3 | 3 | 0a1b2c3d | 24 | 25\r\n"
                             "vera | 2026-11-01 10:05:00 | test3 | 3 | 99999999 | 241 | 251\r\n"));
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());
        const Run dry = run({"regrade", "test3", "--dry-run"});
        QCOMPARE(dry.exitCode, 0);
        QCOMPARE(folderBytes(m_dir->path()), before);
        for (const QString &line :
             {QStringLiteral("anna\tпопытка 2026-12-01 09:00:00\t5 → 3\t(оценка"),
              QStringLiteral("anna\tпопытка 2026-12-01 10:00:00\t3 → 5\n"),
              QStringLiteral("boris\tпопытка 2026-12-01 10:05:00\t3 → 5\t(оценка"),
              QStringLiteral("пересчитано: 3, оценок изменилось: 3"),
              QStringLiteral("другим числом вопросов: 1")})
            QVERIFY2(dry.outText().contains(line), qPrintable(line + dry.outText()));

        QCOMPARE(run({"regrade", "test3"}).exitCode, 0);
        // boris's stored 4 is no run's grade, so it stays.
        QCOMPARE(Store::read("anna", "test3", "\\users.ini"), QByteArray("5"));
        QCOMPARE(Store::read("boris", "test3", "\\users.ini"), QByteArray("4"));
        QCOMPARE(Store::read("vera", "test3", "\\users.ini"), QByteArray("3"));
        QCOMPARE(m_dir->read("log-changes.txt").count("| regrade | test3 | 0a1b2c3d | 2026-12-01"),
                 3);
        QVERIFY(run({"regrade", "test3"}).outText().contains(QStringLiteral("изменилось: 0")));
        QCOMPARE(run({"grade", "BORIS", "test3", "5", "--reason", QStringLiteral("устно | доп.")})
                     .exitCode,
                 0);
        QCOMPARE(Store::read("boris", "test3", "\\users.ini"), QByteArray("5"));

        QTemporaryDir out;
        QCOMPARE(run({"report", "--dir", m_dir->path(), "--html", "r.html"}, out.path()).exitCode,
                 0);
        QFile html(QDir(out.path()).filePath("r.html"));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString shown = QString::fromUtf8(html.readAll());
        QVERIFY(shown.contains(QStringLiteral("anna — тест 3: 3 → 5, пересчёт по исправленному "
                                              "ключу (попытка 2026-12-01 10:00:00)")));
        // The mended runs are analysed as the current questions with their key.
        QVERIFY(shown.contains(QStringLiteral("версия 0a1b2c3d (вопросы файла теста, ключ "
                                              "исправлен пересчётом) — попыток: 2")));
        QVERIFY(shown.contains(QStringLiteral("boris — тест 3: 4 → 5, выставлено вручную: "
                                              "устно | доп.")));
        // A course of the folder's own names the test by its caption.
        QVERIFY(QFile::copy(
            QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/content/data/networks-course.ini"),
            "course.ini"));
        QVERIFY(run({"regrade", "test3", "--dry-run"})
                    .outText()
                    .contains(QStringLiteral("Попыток теста «Тест по теме 3» пересчитано: 3")));
        QCOMPARE(run({"report", "--dir", m_dir->path(), "--html", "r.html", "--ods", "r.ods"},
                     out.path())
                     .exitCode,
                 0);
        html.close();
        QVERIFY(html.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(html.readAll())
                    .contains(QStringLiteral("anna — тест «Тест по теме 3»: 3 → 5")));
        // The spreadsheet's columns are the course's four tests by their captions.
        const Run ods =
            ToolRun::run(QStringLiteral("/usr/bin/python3"),
                         {QStringLiteral(COURSEBOOK_SOURCE_DIR "/tests/support/ods-cells.py"),
                          QDir(out.path()).filePath("r.ods")},
                         out.path(), 30000);
        QVERIFY2(ods.outText().contains(
                     QStringLiteral("string:Ученик;string:Тест по теме 1;string:Тест по теме 2;"
                                    "string:Тест по теме 3;string:Итоговый тест;")),
                 qPrintable(ods.outText()));
    }

    void reportFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no output")
            << QStringList{"report"} << QStringLiteral("нужен хотя бы один из параметров");
        QTest::newRow("output folder missing")
            << QStringList{"report", "--csv", "/nonexistent/such/r.csv"}
            << QStringLiteral("не удалось записать");
        QTest::newRow("output in the class folder")
            << QStringList{"report", "--html", "data/r.html"}
            << QStringLiteral("прочтёт каждый ученик");
        QTest::newRow("output over the class's list")
            << QStringList{"report", "--csv", "users"} << QStringLiteral("файл самого класса");
        QTest::newRow("items over the answer records")
            << QStringList{"report", "--items-csv", "log-answers.txt"}
            << QStringLiteral("файл самого класса");
    }

    void reportFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QVERIFY(m_dir->write("users", "anna\r\n"));
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QVERIFY(m_dir->write("log-answers.txt", "x\r\n"));
        const Run r = run(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errText().contains(message), r.err.constData());
        QCOMPARE(m_dir->read("users"), QByteArray("anna\r\n"));
        QCOMPARE(m_dir->read("log-answers.txt"), QByteArray("x\r\n"));
    }

    void recordsThroughLinks_data()
    {
        // A record made a link by a student: its name and where it points,
        // "@out" a file of the teacher's, "@gone" nothing, else inside.
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("exitCode");
        const QStringList registration{"register", "petr", "pw"};
        const QStringList conversion{"convert", "source.txt", "T", "--into", "data/tests"};
        // The other links of the user records are the accounts' rules.
        QTest::newRow("users.ini out") << registration << "users.ini"
                                       << "@out" << 1;
        QTest::newRow("test out") << conversion << "data/tests/T.ini"
                                  << "@out" << 1;
        QTest::newRow("test dangling") << conversion << "data/tests/T.ini"
                                       << "@gone" << 1;
        QTest::newRow("test inside") << conversion << "data/tests/T.ini"
                                     << "data/tests/t3.ini" << 0;
    }

    void recordsThroughLinks()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, record);
        QFETCH(QString, target);
        QFETCH(int, exitCode);
        QTemporaryDir outside;
        QVERIFY(outside.isValid());
        const QString bashrc = outside.filePath(".bashrc");
        QVERIFY(TempWorkDir::writeFile(bashrc, "export PATH\n"));
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QVERIFY(m_dir->write("data/class.ini", ""));
        QVERIFY(m_dir->write("data/tests/t3.ini", ""));
        QVERIFY(m_dir->write("source.txt", Good));
        const QString to = target == "@out"    ? bashrc
                           : target == "@gone" ? outside.filePath("created")
                                               : path(target);
        QVERIFY(QFile::link(to, path(record)));
        if (const qsizetype at = args.indexOf("source.txt"); at >= 0)
            args[at] = path("source.txt");
        const Run r = run(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(QFileInfo(path(record)).isSymLink());
        if (exitCode == 0) {
            QVERIFY(m_dir->read(target).size() > 0);
            return;
        }
        QVERIFY2(r.errText().contains(QDir::toNativeSeparators(path(record))), r.err.constData());
        QVERIFY2(r.errText().contains(QStringLiteral("за пределами папки курса")) ||
                     r.errText().contains(QStringLiteral("несуществующий файл")),
                 r.err.constData());
        QCOMPARE(
            QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{".bashrc"});
        QFile f(bashrc);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("export PATH\n"));
    }

    void reportRefusesALogOutside()
    {
        // The log a student names may be any file of the teacher's: the
        // report says so and shows none of its lines.
        QVERIFY(m_dir->write("users", "anna\r\n"));
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|/etc/passwd\r\n"));
        const QTemporaryDir out;
        const Run r = run({"report", "--dir", m_dir->path(), "--html", "r.html"}, out.path());
        QCOMPARE(r.exitCode, 0);
        QFile page(out.filePath("r.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        QVERIFY(html.contains(QStringLiteral("«/etc/passwd» лежит за пределами папки курса")));
        QVERIFY(!html.contains(QStringLiteral("root:")));
    }

    void reportAndUsersNameSuspiciousRecords()
    {
        // A grade typed into users.ini by hand, with no run in the log, and
        // the administrator's login made a student's name.
        QVERIFY(m_dir->write("data/info/tumb.db", "admin|secret|log.txt\r\n"));
        QCOMPARE(run({"register", "anna", "pw"}).exitCode, 0);
        QVERIFY(m_dir->write("data/info/tumb.db", "anna|secret|log.txt\r\n"));
        Store::write("anna", "test4", "5", "\\users.ini");
        const QTemporaryDir out;
        for (const QStringList &args :
             {QStringList{"users"}, QStringList{"report", "--csv", out.filePath("r.csv")}}) {
            const Run r = run(args);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.errText().contains(QStringLiteral("Сомнительные записи")),
                     r.err.constData());
            QVERIFY2(r.errText().contains(QStringLiteral("оценка 5 за test4")), r.err.constData());
            QVERIFY2(r.errText().contains(QStringLiteral("логин администратора «anna»")),
                     r.err.constData());
        }
        QFile table(out.filePath("r.csv"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QString csv = QString::fromUtf8(table.readAll());
        QVERIFY2(csv.contains(QStringLiteral("оценка 5 за test4")), qPrintable(csv));
    }

    // What changes another user's records, the tests or the settings, or
    // shows grades, passwords, answer keys or the log, waits for the
    // administrator's login; a student's own registration and a check of a
    // source do not.
    void administratorsLogin_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("login"); // the login file's text; empty: none given
        QTest::addColumn<QString>("refusal");  // empty: the command runs
        const QByteArray none;
        const QString needed = QStringLiteral("выполняется только после входа администратора");
        for (const char *command :
             {"passwd anna", "rename anna anya", "remove anna", "restore anna", "archive stolen",
              "report --csv r.csv", "users", "unlock --force", "show data/tests/test1.ini",
              "export gift data/tests/test1.ini", "import aiken source.txt",
              "convert source.txt test1 --into data/tests",
              "register --roster roster.txt --sheet sheet.html"}) {
            const QStringList args = QString::fromLatin1(command).split(u' ');
            QTest::newRow(command)
                << args << none << QStringLiteral("команда %1 %2").arg(args.first(), needed);
        }
        QTest::newRow("wrong password")
            << QStringList{"passwd", "anna"} << QByteArray("admin\nguess\n")
            << QStringLiteral("неверный логин или пароль администратора");
        QTest::newRow("login file others read")
            << QStringList{"users"} << QByteArray("admin\nsecret\n+r")
            << QStringLiteral("chmod 600");
        QTest::newRow("own registration")
            << QStringList{"register", "vera", "pw"} << none << QString();
        QTest::newRow("check of a source")
            << QStringList{"check", "source.txt"} << none << QString();
        QTest::newRow("the right login")
            << QStringList{"passwd", "anna"} << QByteArray("admin\nsecret\n") << QString();
        QTest::newRow("login file named from where the tool was started")
            << QStringList{"users", "--dir", "CLASS"} << QByteArray("admin\nsecret\n") << QString();
    }

    void administratorsLogin()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, login);
        QFETCH(QString, refusal);
        makeClass();
        QVERIFY(m_dir->write("data/tests/test1.ini", "[inf]\r\nvsego=0\r\n"));
        QVERIFY(m_dir->write("source.txt", Good));
        QVERIFY(m_dir->write("roster.txt", "vera\r\n"));
        const QMap<QString, QByteArray> before = folderBytes(m_dir->path());
        QStringList given = args;
        const QTemporaryDir keep;
        if (!login.isEmpty()) {
            const bool shared = login.endsWith("+r");
            QFile file(keep.filePath("login"));
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.write(login.chopped(shared ? 2 : 0)) > 0);
            QVERIFY(file.setPermissions(
                QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                (shared ? QFileDevice::ReadOther : QFileDevice::Permissions())));
            given = QStringList{"--admin-login", file.fileName()} + args;
        }
        // A class given by --dir: the tool starts beside the login file, named relatively.
        QString startIn = m_dir->path();
        if (const qsizetype c = given.indexOf(QStringLiteral("CLASS")); c >= 0) {
            given[c] = m_dir->path();
            given[1] = QStringLiteral("login");
            startIn = keep.path();
        }
        const Run r =
            ToolRun::runUnlogged(QStringLiteral(COURSEBOOK_ADMIN), given, startIn, 30000, "new1\n");
        QCOMPARE(r.exitCode, refusal.isEmpty() ? 0 : 1);
        QVERIFY2(refusal.isEmpty() || r.errText().contains(refusal), r.err.constData());
        if (!refusal.isEmpty())
            QCOMPARE(folderBytes(m_dir->path()), before);
    }
};

QTEST_GUILESS_MAIN(TestAdminTool)
#include "tst_admintool.moc"
