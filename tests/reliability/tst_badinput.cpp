// SPDX-License-Identifier: GPL-3.0-or-later
// Files of every kind holding what no writer of ours produces: each read and
// write ends without a crash, within a second, and loses nothing it wrote.
#include "Accounts.h"
#include "AdminSettings.h"
#include "IniProfile.h"
#include "IntegerText.h"
#include "RuntimeError.h"
#include "Store.h"
#include "TestConverter.h"
#include "TestFile.h"
#include "UserList.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class BadInputTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void usersIni_data();
    void usersIni();
    void testFile_data();
    void testFile();
    void settingsFile_data();
    void settingsFile();
    void questionSource_data();
    void questionSource();
    void grade_data();
    void grade();
    void notAFile_data();
    void notAFile();

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_home;
};

namespace {

// The sanitizers slow every byte copied several times over; the bound is
// the second that counts for a normal build, stretched only for them.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 BoundMs = 8000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr qint64 BoundMs = 8000;
#else
constexpr qint64 BoundMs = 1000;
#endif
#else
constexpr qint64 BoundMs = 1000;
#endif

constexpr qsizetype TenMegabytes = 10 * 1024 * 1024;

QByteArray garbage(qsizetype size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    random.fillRange(reinterpret_cast<quint32 *>(data.data()), size / 4);
    return data;
}

bool put(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray encodedLine(const QByteArray &key, const QByteArray &value)
{
    return key + '=' + Store::encode(value) + "\r\n";
}

#define TIMED(what, ...)                                                                           \
    do {                                                                                           \
        QElapsedTimer clock_;                                                                      \
        clock_.start();                                                                            \
        __VA_ARGS__;                                                                               \
        const qint64 ms_ = clock_.elapsed();                                                       \
        QVERIFY2(ms_ < BoundMs, qPrintable(QStringLiteral("%1 took %2 ms").arg(what).arg(ms_)));   \
    } while (false)

} // namespace

void BadInputTest::init()
{
    m_home = QDir::currentPath();
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void BadInputTest::cleanup()
{
    QDir::setCurrent(m_home);
    delete m_dir;
    m_dir = nullptr;
}

void BadInputTest::usersIni_data()
{
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("binary garbage") << garbage(1024 * 1024, 1);
    QByteArray nuls(1024 * 1024, '\0');
    nuls.replace(0, 22, "[ivan]\r\npassword=\"\0\0\"\r\n");
    QTest::newRow("NUL bytes") << nuls;
    QTest::newRow("10 MB line") << "[ivan]\r\n" + QByteArray(TenMegabytes, 'x') + "\r\n" +
                                       encodedLine("password", "pw") +
                                       "[zz]\r\nk=" + QByteArray(TenMegabytes, '"') + "\r\n";
    QTest::newRow("10 MB value") << "[ivan]\r\n" +
                                        encodedLine("password", QByteArray(TenMegabytes, 'p'));
    QByteArray many;
    many.reserve(100000 * 60);
    for (int i = 0; i < 100000; ++i)
        many += "[user" + QByteArray::number(i) + "]\r\n" + encodedLine("password", "pw") +
                encodedLine("test1", "3");
    QTest::newRow("100,000 sections") << many;
}

void BadInputTest::usersIni()
{
    QFETCH(QByteArray, contents);
    QVERIFY(put(QStringLiteral("users.ini"), contents));
    QVERIFY(put(QStringLiteral("users"), "ivan\r\n"));

    TIMED("the password read", Accounts::storedPassword("ivan"));
    TIMED("the password check", Accounts::passwordMatches("user99999", "pw"));
    TIMED(
        "a grade read",
        try { Accounts::readGrade("user50000", 1); } catch (const RuntimeError &){});
    TIMED("the registration check", Accounts::checkRegistration("newcomer", "admin"));
    QVERIFY(Store::read("ivan", "password", Accounts::UsersIni).size() <=
            IniProfile::MaxValueLength);

    TIMED("a registration", Accounts::registerUser("newcomer", "secret"));
    Accounts::Scores scores{};
    scores[0] = 5;
    scores[9] = 4;
    TIMED("the score write-back", Accounts::writeScores("newcomer", scores));
    QVERIFY(Accounts::passwordMatches("newcomer", "secret"));
    QCOMPARE(Accounts::readGrade("newcomer", 1), quint8(5));
    QCOMPARE(Accounts::readGrade("newcomer", 10), quint8(4));
    QCOMPARE(UserList::load(), (QList<QByteArray>{"ivan", "newcomer"}));

    TIMED("a removal", Accounts::removeUser("newcomer"));
    QVERIFY(!Accounts::storedPassword("newcomer"));
    QCOMPARE(UserList::load(), QList<QByteArray>{"ivan"});
}

void BadInputTest::testFile_data()
{
    QTest::addColumn<QByteArray>("vsego");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("count");

    QTest::newRow("abc") << QByteArray("abc") << false << 0;
    QTest::newRow("-1") << QByteArray("-1") << true << -1;
    QTest::newRow("0") << QByteArray("0") << true << 0;
    QTest::newRow("99999999999") << QByteArray("99999999999") << false << 0;
    QTest::newRow("missing") << QByteArray() << false << 0;
}

void BadInputTest::testFile()
{
    QFETCH(QByteArray, vsego);
    QFETCH(bool, valid);
    QFETCH(int, count);

    QVERIFY(QDir().mkpath(QStringLiteral("data/tests")));
    // Question 1 lacks a3 and ap; question 2 has nothing but its text.
    QByteArray text = "[1]\r\n" + encodedLine("q", "Q1") + encodedLine("a1", "A) one") +
                      encodedLine("a2", "B) two") + encodedLine("a4", "D) four") +
                      encodedLine("a5", "E) five") + "[2]\r\n" + encodedLine("q", "Q2");
    if (!vsego.isNull())
        text += "[inf]\r\n" + encodedLine("vsego", vsego);
    QVERIFY(put(QStringLiteral("data/tests/test1.ini"), text));

    const TestFile file("test1");
    QElapsedTimer clock;
    clock.start();
    if (valid) {
        QCOMPARE(file.count(), count);
    } else {
        const QByteArray shown = vsego.isNull() ? Store::missing() : vsego;
        try {
            file.count();
            QFAIL("the count was taken");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value")
                                      .arg(QString::fromLatin1(shown)));
        }
    }
    QCOMPARE(file.question(1), QByteArray("Q1"));
    QCOMPARE(file.answer(1, 3), Store::missing());
    QCOMPARE(file.rightAnswer(1), Store::missing());
    QCOMPARE(file.answer(2, 1), Store::missing());
    QCOMPARE(file.question(3), Store::missing());
    QVERIFY(clock.elapsed() < BoundMs);
}

void BadInputTest::settingsFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("logName");

    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QByteArray binary = garbage(4096, 7);
    binary.replace('\r', 'r').replace('\n', 'n').replace('\x1a', 'z').replace('|', 'p');
    binary.replace(100, 1, "|").replace(200, 1, "|").replace(300, 1, "|").replace(400, 2, "\r\n");
    QTest::newRow("binary") << binary << binary.mid(0, 100) << binary.mid(101, 99)
                            << binary.mid(201, 99);
    const QByteArray big(60 * 1024, 'a');
    QTest::newRow("60 KB") << "admin|" + big + "|log.txt\r\n"
                           << QByteArray("admin") << big << QByteArray("log.txt");
}

void BadInputTest::settingsFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, login);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, logName);

    QVERIFY(QDir().mkpath(QStringLiteral("data/info")));
    QVERIFY(put(QStringLiteral("data/info/tumb.db"), contents));
    AdminSettings s;
    TIMED("the settings read", s = AdminSettings::read());
    QCOMPARE(s.login, login);
    QCOMPARE(s.password, password);
    QCOMPARE(s.logName, logName);
    TIMED("the settings write", s.write());
    const AdminSettings again = AdminSettings::read();
    QCOMPARE(again.password, password);
}

void BadInputTest::questionSource_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("storable");
    QTest::addColumn<int>("firstQuestionSize"); // 0: any length the read limit allows

    QByteArray binary = garbage(256 * 1024, 3);
    // Without the bytes that scramble to a line end or NUL, every line can be
    // stored; with them the conversion is refused as a whole.
    QByteArray clean = binary;
    for (char c : {char(0x13), char(0x14), char(0x1E)})
        clean.replace(c, 'x');
    QTest::newRow("binary") << binary << false << 0;
    QTest::newRow("binary without unstorable bytes") << clean << true << 0;
    QTest::newRow("10 MB line") << "Q " + QByteArray(TenMegabytes, 'q') +
                                       "*\r\nA) a\r\nB) b\r\n"
                                       "C) c\r\nD) d\r\nE) e\r\nlast\r\n"
                                << true << IniProfile::MaxValueLength;
}

void BadInputTest::questionSource()
{
    QFETCH(QByteArray, source);
    QFETCH(bool, storable);
    QFETCH(int, firstQuestionSize);

    QVERIFY(put(QStringLiteral("source.txt"), source));
    TestConverter converter;
    bool refused = false;
    TestConverter::Result result;
    TIMED(
        "the conversion",
        try {
            result = converter.convert(QStringLiteral("source.txt"), "\\test1.ini");
        } catch (const RuntimeError &e) {
            refused = true;
            QVERIFY2(e.message().startsWith(QLatin1String("Unable to write to")),
                     qPrintable(e.message()));
        });
    QCOMPARE(refused, !storable);
    if (refused) {
        QVERIFY(!QFile::exists(QStringLiteral("test1.ini")));
        return;
    }
    const TestFile file = TestFile::atRelativeName("\\test1.ini");
    QCOMPARE(file.countText(), QByteArray::number(result.count));
    const QByteArray first = file.question(1);
    QVERIFY(first != Store::missing());
    QVERIFY(first.size() <= IniProfile::MaxValueLength);
    if (firstQuestionSize > 0)
        QCOMPARE(first.size(), qsizetype(firstQuestionSize));
}

void BadInputTest::grade_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("shown");

    QTest::newRow("300") << QByteArray("300") << 300 % 256;
    QTest::newRow("-1") << QByteArray("-1") << 255;
    QTest::newRow("256") << QByteArray("256") << 0;
    QTest::newRow("5") << QByteArray("5") << 5;
}

void BadInputTest::grade()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, shown);
    Store::write("ivan", "test3", stored, Accounts::UsersIni);
    QCOMPARE(int(Accounts::readGrade("ivan", 3)), shown);
}

void BadInputTest::notAFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("size"); // -1: a named pipe; else a sparse file of that size
    QTest::addColumn<QString>("read");
    const qint64 MB = 1024 * 1024;
    QTest::newRow("pipe as the list, at start") << "users" << -1LL << "list";
    QTest::newRow("pipe as users.ini, log-in") << "users.ini" << -1LL << "login";
    QTest::newRow("pipe as users.ini, registration") << "users.ini" << -1LL << "register";
    QTest::newRow("512 MB users.ini, log-in") << "users.ini" << 512 * MB << "login";
    QTest::newRow("2 GB users.ini, registration") << "users.ini" << 2048 * MB << "register";
    QTest::newRow("100 MB list") << "users" << 100 * MB << "list";
    QTest::newRow("pipe as the settings") << "data/info/tumb.db" << -1LL << "settings";
    QTest::newRow("1 MB settings") << "data/info/tumb.db" << MB << "settings";
    QTest::newRow("pipe as a test") << "data/tests/test1.ini" << -1LL << "test";
    QTest::newRow("100 MB test") << "data/tests/test1.ini" << 100 * MB << "test";
}

void BadInputTest::notAFile()
{
    QFETCH(QString, file);
    QFETCH(qint64, size);
    QFETCH(QString, read);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    if (file != QLatin1String("users"))
        QVERIFY(put(QStringLiteral("users"), "ivan\r\n"));
    if (size < 0) {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0666), 0);
    } else {
        QFile sparse(file);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
    }
    QString refusal;
    TIMED(
        read,
        try {
            if (read == QLatin1String("list"))
                UserList::load();
            else if (read == QLatin1String("login"))
                Accounts::passwordMatches("ivan", "pw");
            else if (read == QLatin1String("register"))
                Accounts::registerUser("newcomer", "pw");
            else if (read == QLatin1String("settings"))
                AdminSettings::read();
            else
                TestFile("test1").count();
        } catch (const RuntimeError &e) { refusal = e.message(); });
    QVERIFY2(refusal.contains(QFileInfo(file).fileName()), qPrintable(refusal));
    QVERIFY2(refusal.contains(size < 0 ? QStringLiteral("именованный канал")
                                       : QStringLiteral("%1 МБ").arg(size / (1024 * 1024))),
             qPrintable(refusal));
}

QTEST_GUILESS_MAIN(BadInputTest)
#include "tst_badinput.moc"
