// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLock.h"
#include "IniProfile.h"
#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>

Q_DECLARE_METATYPE(IniProfile::Entry)

namespace {

const QByteArray Missing = QByteArrayLiteral("<missing>");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A store as a hand-edited or foreign-written file may look.
QByteArray sampleIni()
{
    return QByteArray("; users of the course\r\n"
                      "orphan=before any section\r\n"
                      "[Alpha]\r\n"
                      "password=secret\r\n"
                      "  spaced key  =   spaced value  \r\n"
                      "\tquoted=\"  inner blanks  \"\r\n"
                      "single='x'\r\n"
                      "nested=\"'x'\"\r\n"
                      "unbalanced=\"abc\r\n"
                      "mixed=\"abc'\r\n"
                      "lone=\"\r\n"
                      "pair=\"\"\r\n"
                      ";hidden=1\r\n"
                      "  ; indented=2\r\n"
                      "bare key\r\n"
                      "empty=\r\n"
                      "eq=a=b\r\n"
                      "dup=first\r\n"
                      "DUP=second\r\n"
                      "\r\n"
                      "[\xC8\xE2\xE0\xED]\n"
                      "test1=5\n"
                      "TEST2=4\r"
                      "Test3 = 3\r"
                      "[alpha]\r\n"
                      "password=other\r\n"
                      "extra=only in the second\r\n"
                      "  [ Beta ] trailing text ] more\r\n"
                      "k=v\r\n"
                      "[Gamma\r\n"
                      "g=1\r\n"
                      "[\xA8\xEB\xEA\xE0]\r\n"
                      "e=\xB8\r\n"
                      "[last]\r\n"
                      "final=no line end");
}

QString unableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to ") + QDir::toNativeSeparators(path);
}

// A file with the shapes the editor must keep: duplicate sections in other
// letter case, comments, blank lines, large sections, all three line ends.
QByteArray randomIni(QRandomGenerator &rng, int sections)
{
    static const char *const endings[] = {"\r\n", "\n", "\r"};
    QByteArray out;
    for (int s = 0; s < sections; ++s) {
        const char *end = endings[rng.bounded(3)];
        QByteArray name = "s" + QByteArray::number(rng.bounded(sections));
        if (rng.bounded(2))
            name = name.toUpper();
        out += (rng.bounded(4) ? "[" : " [") + name + "]" + end;
        const int lines = rng.bounded(5) ? rng.bounded(6) : 40 + rng.bounded(20);
        for (int l = 0; l < lines; ++l) {
            switch (rng.bounded(6)) {
            case 0:
                out += QByteArray("; note") + end;
                break;
            case 1:
                out += end;
                break;
            default:
                out += "K" + QByteArray::number(rng.bounded(60)) + " = " +
                       QByteArray::number(rng.bounded(1000)) + end;
                break;
            }
        }
    }
    if (rng.bounded(2))
        out += "[tail]\r\nlast=1";
    return out;
}

} // namespace

class tst_IniProfile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void read_data();
    void read();
    void readWithoutFile_data();
    void readWithoutFile();
    void valueCut_data();
    void valueCut();
    void hasSection_data();
    void hasSection();

    void roundTrip_data();
    void roundTrip();
    void writeEdits_data();
    void writeEdits();
    void eraseSection_data();
    void eraseSection();
    void eraseLetsLaterDuplicateCount();
    void eraseWithoutChange_data();
    void eraseWithoutChange();

    void refusals_data();
    void refusals();
    void lockHeldElsewhere();

    void writeManyMatchesSingleWrites_data();
    void writeManyMatchesSingleWrites();
    void writeManyMatchesOnRandomFiles();

    void nothingCachedBetweenCalls();
    void leavesNoFilesBehind();

private:
    QString path(const QString &name = QStringLiteral("users.ini")) const
    {
        return m_dir->filePath(name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_IniProfile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_IniProfile::cleanup()
{
    if (m_dir)
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    m_dir.reset();
}

void tst_IniProfile::read_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("exact names") << QByteArray("Alpha") << QByteArray("password")
                                 << QByteArray("secret");
    QTest::newRow("section in other case")
        << QByteArray("ALPHA") << QByteArray("password") << QByteArray("secret");
    QTest::newRow("key in other case")
        << QByteArray("alpha") << QByteArray("PassWord") << QByteArray("secret");
    QTest::newRow("blanks around name and value")
        << QByteArray("Alpha") << QByteArray("spaced key") << QByteArray("spaced value");
    QTest::newRow("blanks around the asked names")
        << QByteArray(" Alpha\t") << QByteArray("\tspaced key ") << QByteArray("spaced value");
    QTest::newRow("double quotes removed, blanks inside kept")
        << QByteArray("Alpha") << QByteArray("quoted") << QByteArray("  inner blanks  ");
    QTest::newRow("single quotes removed")
        << QByteArray("Alpha") << QByteArray("single") << QByteArray("x");
    QTest::newRow("quotes removed once")
        << QByteArray("Alpha") << QByteArray("nested") << QByteArray("'x'");
    QTest::newRow("unbalanced quote kept")
        << QByteArray("Alpha") << QByteArray("unbalanced") << QByteArray("\"abc");
    QTest::newRow("different quotes kept")
        << QByteArray("Alpha") << QByteArray("mixed") << QByteArray("\"abc'");
    QTest::newRow("single quote character kept")
        << QByteArray("Alpha") << QByteArray("lone") << QByteArray("\"");
    QTest::newRow("empty quotes") << QByteArray("Alpha") << QByteArray("pair") << QByteArray();
    QTest::newRow("comment is no key") << QByteArray("Alpha") << QByteArray("hidden") << Missing;
    QTest::newRow("comment is no key under its own text")
        << QByteArray("Alpha") << QByteArray(";hidden") << Missing;
    QTest::newRow("indented comment") << QByteArray("Alpha") << QByteArray("indented") << Missing;
    QTest::newRow("line without equals sign")
        << QByteArray("Alpha") << QByteArray("bare key") << QByteArray();
    QTest::newRow("empty value") << QByteArray("Alpha") << QByteArray("empty") << QByteArray();
    QTest::newRow("equals sign in value")
        << QByteArray("Alpha") << QByteArray("eq") << QByteArray("a=b");
    QTest::newRow("first of duplicate keys")
        << QByteArray("Alpha") << QByteArray("dup") << QByteArray("first");
    QTest::newRow("key only in the second of duplicate sections")
        << QByteArray("alpha") << QByteArray("extra") << Missing;
    QTest::newRow("line before any section") << QByteArray("") << QByteArray("orphan") << Missing;
    QTest::newRow("line before any section, asked in one")
        << QByteArray("Alpha") << QByteArray("orphan") << Missing;
    QTest::newRow("Cyrillic section in small letters")
        << QByteArray("\xE8\xE2\xE0\xED") << QByteArray("test1") << QByteArray("5");
    QTest::newRow("Cyrillic section in capitals")
        << QByteArray("\xC8\xC2\xC0\xCD") << QByteArray("test1") << QByteArray("5");
    QTest::newRow("line ended by CR")
        << QByteArray("\xC8\xE2\xE0\xED") << QByteArray("test2") << QByteArray("4");
    QTest::newRow("last line of a section ended by CR")
        << QByteArray("\xC8\xE2\xE0\xED") << QByteArray("TEST3") << QByteArray("3");
    QTest::newRow("header with text after it")
        << QByteArray("beta") << QByteArray("k") << QByteArray("v");
    QTest::newRow("header without closing bracket")
        << QByteArray("GAMMA") << QByteArray("g") << QByteArray("1");
    QTest::newRow("Yo folded") << QByteArray("\xB8\xEB\xEA\xE0") << QByteArray("E")
                               << QByteArray("\xB8");
    QTest::newRow("last line without line end")
        << QByteArray("LAST") << QByteArray("final") << QByteArray("no line end");
    QTest::newRow("missing section") << QByteArray("nobody") << QByteArray("password") << Missing;
    QTest::newRow("missing key") << QByteArray("Alpha") << QByteArray("test1") << Missing;
    QTest::newRow("header text is no section")
        << QByteArray("Beta ] trailing text") << QByteArray("k") << Missing;
}

void tst_IniProfile::read()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    QVERIFY(putFile(path(), sampleIni()));
    QCOMPARE(IniProfile::read(path(), section, key, Missing), expected);
}

void tst_IniProfile::readWithoutFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("makeFolder");
    QTest::newRow("missing file") << QStringLiteral("users.ini") << false;
    QTest::newRow("missing folder") << QStringLiteral("nowhere/users.ini") << false;
    QTest::newRow("folder in place of the file") << QStringLiteral("users.ini") << true;
}

void tst_IniProfile::readWithoutFile()
{
    QFETCH(QString, name);
    QFETCH(bool, makeFolder);
    if (makeFolder)
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    QCOMPARE(IniProfile::read(path(name), "a", "b", Missing), Missing);
    QCOMPARE(IniProfile::read(path(name), "a", "b", QByteArray()), QByteArray());
}

void tst_IniProfile::valueCut_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray limit(IniProfile::MaxValueLength, 'v');
    QTest::newRow("one short of the limit") << limit.left(2046) << limit.left(2046);
    QTest::newRow("at the limit") << limit << limit;
    QTest::newRow("one over the limit") << limit + 'w' << limit;
    QTest::newRow("far over the limit") << limit + QByteArray(5000, 'w') << limit;
    QTest::newRow("quoted at the limit") << '"' + limit + '"' << limit;
    QTest::newRow("quoted over the limit") << '"' + limit + "w\"" << limit;
    QTest::newRow("blanks do not count") << "   " + limit + "   " << limit;
}

void tst_IniProfile::valueCut()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, expected);
    QVERIFY(putFile(path(), "[s]\r\nk=" + stored + "\r\n"));
    const QByteArray value = IniProfile::read(path(), "s", "k", Missing);
    QCOMPARE(value.size(), expected.size());
    QCOMPARE(value, expected);
    const QByteArray longDefault(3000, 'd');
    QCOMPARE(IniProfile::read(path(), "s", "none", longDefault),
             longDefault.left(IniProfile::MaxValueLength));
}

void tst_IniProfile::hasSection_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("expected");
    QTest::newRow("present") << QByteArray("Alpha") << true;
    QTest::newRow("other case") << QByteArray("\xE8\xE2\xE0\xCD") << true;
    QTest::newRow("without closing bracket") << QByteArray("gamma") << true;
    QTest::newRow("last section, without final line end") << QByteArray("last") << true;
    QTest::newRow("absent") << QByteArray("nobody") << false;
    QTest::newRow("a key is no section") << QByteArray("password") << false;
}

void tst_IniProfile::hasSection()
{
    QFETCH(QByteArray, section);
    QFETCH(bool, expected);
    QVERIFY(putFile(path(), sampleIni()));
    QCOMPARE(IniProfile::hasSection(path(), section), expected);
    QVERIFY(!IniProfile::hasSection(path("none.ini"), section));
}

void tst_IniProfile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("askedSection");
    QTest::addColumn<QByteArray>("askedKey");

    QByteArray highBytes;
    for (int b = 0x80; b < 0x100; ++b)
        highBytes += char(b);
    QTest::newRow("plain") << QByteArray("user") << QByteArray("password") << QByteArray("secret")
                           << QByteArray("user") << QByteArray("password");
    QTest::newRow("other case on read")
        << QByteArray("Ivan") << QByteArray("Test1") << QByteArray("5") << QByteArray("IVAN")
        << QByteArray("test1");
    QTest::newRow("Cyrillic names, other case on read")
        << QByteArray("\xA8\xE6\xE8\xEA") << QByteArray("\xEF\xE0\xF0\xEE\xEB\xFC")
        << QByteArray("1") << QByteArray("\xB8\xC6\xC8\xCA")
        << QByteArray("\xCF\xC0\xD0\xCE\xCB\xDC");
    QTest::newRow("every byte above 127")
        << QByteArray("s") << QByteArray("k") << highBytes << QByteArray("s") << QByteArray("k");
    QTest::newRow("equals signs and brackets in value")
        << QByteArray("s") << QByteArray("k") << QByteArray("a=b]c[d") << QByteArray("s")
        << QByteArray("k");
    QTest::newRow("value beginning with a semicolon")
        << QByteArray("s") << QByteArray("k") << QByteArray(";x") << QByteArray("s")
        << QByteArray("k");
    QTest::newRow("value in quotes keeps its blanks")
        << QByteArray("s") << QByteArray("k") << QByteArray("\" x \"") << QByteArray("s")
        << QByteArray("k");
    QTest::newRow("empty value") << QByteArray("s") << QByteArray("k") << QByteArray()
                                 << QByteArray("s") << QByteArray("k");
}

void tst_IniProfile::roundTrip()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, askedSection);
    QFETCH(QByteArray, askedKey);

    IniProfile::write(path(), section, key, value);
    QByteArray expected = value;
    if (expected.size() >= 2 && expected.front() == '"' && expected.back() == '"')
        expected = expected.mid(1, expected.size() - 2);
    QCOMPARE(IniProfile::read(path(), askedSection, askedKey, Missing), expected);

    // A second write replaces rather than adds.
    IniProfile::write(path(), askedSection, askedKey, "2");
    QCOMPARE(IniProfile::read(path(), section, key, Missing), QByteArray("2"));
    QCOMPARE(fileBytes(path()), "[" + section + "]\r\n" + key + "=2\r\n");
}

void tst_IniProfile::writeEdits_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("initial");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("replace keeps every other byte")
        << true
        << QByteArray("; head\r\n\r\n[user]\r\n  PassWord  =  old  \r\n; note\r\ntest1=1\r\n\r\n"
                      "[other]\r\npassword=x\r\n")
        << QByteArray("USER") << QByteArray("password") << QByteArray("new")
        << QByteArray("; head\r\n\r\n[user]\r\nPassWord=new\r\n; note\r\ntest1=1\r\n\r\n"
                      "[other]\r\npassword=x\r\n");
    QTest::newRow("replace keeps LF")
        << true << QByteArray("[a]\nk=1\nj=2\n") << QByteArray("a") << QByteArray("k")
        << QByteArray("22") << QByteArray("[a]\nk=22\nj=2\n");
    QTest::newRow("replace keeps CR")
        << true << QByteArray("[a]\rk=1\rj=2\r") << QByteArray("a") << QByteArray("k")
        << QByteArray("22") << QByteArray("[a]\rk=22\rj=2\r");
    QTest::newRow("replace last line without line end")
        << true << QByteArray("[a]\r\nk=1") << QByteArray("a") << QByteArray("k") << QByteArray("9")
        << QByteArray("[a]\r\nk=9");
    QTest::newRow("replace line without equals sign")
        << true << QByteArray("[a]\r\n bare \r\n") << QByteArray("a") << QByteArray("BARE")
        << QByteArray("v") << QByteArray("[a]\r\nbare=v\r\n");
    QTest::newRow("replace first of duplicate keys")
        << true << QByteArray("[a]\r\nk=1\r\nK=2\r\n") << QByteArray("a") << QByteArray("k")
        << QByteArray("3") << QByteArray("[a]\r\nk=3\r\nK=2\r\n");
    QTest::newRow("replace under indented header")
        << true << QByteArray("  [a]\r\nk=1\r\n") << QByteArray("a") << QByteArray("k")
        << QByteArray("2") << QByteArray("  [a]\r\nk=2\r\n");
    QTest::newRow("replace in Cyrillic section of other case")
        << true << QByteArray("[\xC8\xE2\xE0\xED]\r\npassword=1\r\n")
        << QByteArray("\xE8\xE2\xE0\xED") << QByteArray("password") << QByteArray("2")
        << QByteArray("[\xC8\xE2\xE0\xED]\r\npassword=2\r\n");
    QTest::newRow("same value") << true << QByteArray("[a]\r\n k = 1\r\n") << QByteArray("a")
                                << QByteArray("k") << QByteArray("1")
                                << QByteArray("[a]\r\nk=1\r\n");

    QTest::newRow("insert after last key, before comments and blank lines")
        << true << QByteArray("[a]\r\nk=1\r\n; trailing\r\n\r\n[b]\r\n") << QByteArray("a")
        << QByteArray("new") << QByteArray("v")
        << QByteArray("[a]\r\nk=1\r\nnew=v\r\n; trailing\r\n\r\n[b]\r\n");
    QTest::newRow("insert right after header of section without keys")
        << true << QByteArray("[a] note\r\n; c\r\n\r\n[b]\r\nx=1\r\n") << QByteArray("a")
        << QByteArray("k") << QByteArray("v")
        << QByteArray("[a] note\r\nk=v\r\n; c\r\n\r\n[b]\r\nx=1\r\n");
    QTest::newRow("insert after key at end of file")
        << true << QByteArray("[a]\r\nk=1") << QByteArray("a") << QByteArray("n") << QByteArray("v")
        << QByteArray("[a]\r\nk=1\r\nn=v\r\n");
    QTest::newRow("insert after header at end of file")
        << true << QByteArray("[a]") << QByteArray("a") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\r\nk=v\r\n");
    QTest::newRow("insert after CR line")
        << true << QByteArray("[a]\rk=1\r") << QByteArray("a") << QByteArray("n") << QByteArray("v")
        << QByteArray("[a]\rk=1\rn=v\r\n");
    QTest::newRow("insert into first of duplicate sections")
        << true << QByteArray("[a]\r\nx=1\r\n[A]\r\ny=2\r\n") << QByteArray("a") << QByteArray("y")
        << QByteArray("3") << QByteArray("[a]\r\nx=1\r\ny=3\r\n[A]\r\ny=2\r\n");
    QTest::newRow("comment is not replaced")
        << true << QByteArray("[a]\r\n;k=1\r\n") << QByteArray("a") << QByteArray("k")
        << QByteArray("2") << QByteArray("[a]\r\nk=2\r\n;k=1\r\n");
    QTest::newRow("key before any section is not replaced")
        << true << QByteArray("k=1\r\n[a]\r\n") << QByteArray("a") << QByteArray("k")
        << QByteArray("2") << QByteArray("k=1\r\n[a]\r\nk=2\r\n");
    QTest::newRow("insert under header without closing bracket")
        << true << QByteArray("[a\r\nk=1\r\n") << QByteArray("a") << QByteArray("j")
        << QByteArray("2") << QByteArray("[a\r\nk=1\r\nj=2\r\n");

    QTest::newRow("new section after final line end")
        << true << QByteArray("[a]\r\nk=1\r\n") << QByteArray("b") << QByteArray("k")
        << QByteArray("v") << QByteArray("[a]\r\nk=1\r\n[b]\r\nk=v\r\n");
    QTest::newRow("new section without final line end")
        << true << QByteArray("[a]\r\nk=1") << QByteArray("b") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\r\nk=1\r\n[b]\r\nk=v\r\n");
    QTest::newRow("new section after blank lines")
        << true << QByteArray("[a]\r\nk=1\r\n\r\n\r\n") << QByteArray("b") << QByteArray("k")
        << QByteArray("v") << QByteArray("[a]\r\nk=1\r\n\r\n\r\n[b]\r\nk=v\r\n");
    QTest::newRow("new section after LF lines")
        << true << QByteArray("[a]\nk=1\n") << QByteArray("b") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\nk=1\n[b]\r\nk=v\r\n");
    QTest::newRow("new section after comment without line end")
        << true << QByteArray("[a]\r\n; c") << QByteArray("b") << QByteArray("k") << QByteArray("v")
        << QByteArray("[a]\r\n; c\r\n[b]\r\nk=v\r\n");
    QTest::newRow("new section when the name is only before sections")
        << true << QByteArray("b=1\r\n") << QByteArray("b") << QByteArray("b") << QByteArray("2")
        << QByteArray("b=1\r\n[b]\r\nb=2\r\n");
    QTest::newRow("new section in empty file")
        << true << QByteArray() << QByteArray("b") << QByteArray("k") << QByteArray("v")
        << QByteArray("[b]\r\nk=v\r\n");
    QTest::newRow("new file") << false << QByteArray() << QByteArray("b") << QByteArray("k")
                              << QByteArray("v") << QByteArray("[b]\r\nk=v\r\n");
    QTest::newRow("new names stored without blanks")
        << false << QByteArray() << QByteArray(" b\t") << QByteArray(" k ") << QByteArray(" v")
        << QByteArray("[b]\r\nk= v\r\n");
}

void tst_IniProfile::writeEdits()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, initial);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);

    if (exists)
        QVERIFY(putFile(path(), initial));
    IniProfile::write(path(), section, key, value);
    QCOMPARE(fileBytes(path()), expected);
    // The key written is the one found.
    QVERIFY(IniProfile::read(path(), section, key, Missing) != Missing);
}

void tst_IniProfile::eraseSection_data()
{
    QTest::addColumn<QByteArray>("initial");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("middle section, comments and blank lines stay")
        << QByteArray("[a]\r\nx=1\r\n[b]\r\n; keep\r\ny=2\r\n\r\nz=3\r\n[c]\r\nw=4\r\n")
        << QByteArray("B") << QByteArray("[a]\r\nx=1\r\n; keep\r\n\r\n[c]\r\nw=4\r\n");
    QTest::newRow("first of duplicate sections") << QByteArray("[a]\r\nx=1\r\n[A]\r\ny=2\r\n")
                                                 << QByteArray("a") << QByteArray("[A]\r\ny=2\r\n");
    QTest::newRow("last section without line end")
        << QByteArray("[a]\r\nx=1\r\n[b]\r\ny=2") << QByteArray("b")
        << QByteArray("[a]\r\nx=1\r\n");
    QTest::newRow("Cyrillic name in other case")
        << QByteArray("[\xA8\xEB\xEA\xE0]\r\nk=1\r\n[b]\r\n") << QByteArray("\xB8\xCB\xEA\xE0")
        << QByteArray("[b]\r\n");
    QTest::newRow("lines before any section stay")
        << QByteArray("k=1\r\n[a]\r\nk=2\r\n") << QByteArray("a") << QByteArray("k=1\r\n");
    QTest::newRow("key lines without equals sign go")
        << QByteArray("[a]\nbare\n[b]\n") << QByteArray("a") << QByteArray("[b]\n");
    QTest::newRow("header with text after it")
        << QByteArray("[a] x\r\nk=1\r\n[b\r\n") << QByteArray("a") << QByteArray("[b\r\n");
}

void tst_IniProfile::eraseSection()
{
    QFETCH(QByteArray, initial);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, expected);
    QVERIFY(putFile(path(), initial));
    IniProfile::eraseSection(path(), section);
    QCOMPARE(fileBytes(path()), expected);
}

void tst_IniProfile::eraseLetsLaterDuplicateCount()
{
    QVERIFY(putFile(path(), "[a]\r\nx=1\r\n[b]\r\n[A]\r\nx=2\r\n"));
    IniProfile::eraseSection(path(), "a");
    QCOMPARE(IniProfile::read(path(), "a", "x", Missing), QByteArray("2"));
    IniProfile::eraseSection(path(), "a");
    QCOMPARE(IniProfile::read(path(), "a", "x", Missing), Missing);
    QCOMPARE(fileBytes(path()), QByteArray("[b]\r\n"));
}

void tst_IniProfile::eraseWithoutChange_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing section") << QStringLiteral("users.ini") << true;
    QTest::newRow("missing file") << QStringLiteral("users.ini") << false;
    QTest::newRow("missing folder") << QStringLiteral("nowhere/users.ini") << false;
}

void tst_IniProfile::eraseWithoutChange()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    const QByteArray initial("[a]\r\nk=1\r\n; [b]\r\n");
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    if (exists) {
        QVERIFY(putFile(path(name), initial));
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    IniProfile::eraseSection(path(name), "b");
    QCOMPARE(QFileInfo::exists(path(name)), exists);
    if (exists) {
        QCOMPARE(fileBytes(path(name)), initial);
        QCOMPARE(QFileInfo(path(name)).lastModified(), old);
    }
}

void tst_IniProfile::refusals_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    const QStringList writes{QStringLiteral("write"), QStringLiteral("writeMany")};
    for (const QString &op : writes) {
        const QByteArray w = op.toLatin1();
        QTest::newRow(w + ": folder in place of the file")
            << "folder" << op << QByteArray("a") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": missing folder")
            << "no folder" << op << QByteArray("a") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": file in place of the folder")
            << "file as folder" << op << QByteArray("a") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": read-only file")
            << "read-only" << op << QByteArray("a") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": CR in value")
            << "file" << op << QByteArray("a") << QByteArray("k") << QByteArray("1\r2");
        QTest::newRow(w + ": LF in value")
            << "file" << op << QByteArray("a") << QByteArray("k") << QByteArray("1\n2");
        QTest::newRow(w + ": NUL in value")
            << "file" << op << QByteArray("a") << QByteArray("k") << QByteArray("1\0002", 3);
        QTest::newRow(w + ": LF in key")
            << "file" << op << QByteArray("a") << QByteArray("k\n") << QByteArray("v");
        QTest::newRow(w + ": CR in section")
            << "file" << op << QByteArray("a\r") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": NUL in section")
            << "file" << op << QByteArray("a\0", 2) << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": closing bracket in section")
            << "file" << op << QByteArray("a]b") << QByteArray("k") << QByteArray("v");
        QTest::newRow(w + ": equals sign in key")
            << "file" << op << QByteArray("a") << QByteArray("k=x") << QByteArray("v");
        QTest::newRow(w + ": key that would be a header")
            << "file" << op << QByteArray("a") << QByteArray(" [k") << QByteArray("v");
        QTest::newRow(w + ": key that would be a comment")
            << "file" << op << QByteArray("a") << QByteArray(";k") << QByteArray("v");
    }
    QTest::newRow("eraseSection: folder in place of the file")
        << "folder"
        << "eraseSection" << QByteArray("a") << QByteArray() << QByteArray();
    QTest::newRow("eraseSection: read-only file")
        << "read-only"
        << "eraseSection" << QByteArray("a") << QByteArray() << QByteArray();
}

void tst_IniProfile::refusals()
{
    QFETCH(QString, setup);
    QFETCH(QString, operation);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);

    const QByteArray initial("[a]\r\nk=1\r\n");
    QString target = path();
    if (setup == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("users.ini")));
    } else if (setup == QLatin1String("no folder")) {
        target = path(QStringLiteral("nowhere/users.ini"));
    } else if (setup == QLatin1String("file as folder")) {
        QVERIFY(putFile(path(QStringLiteral("plain")), initial));
        target = path(QStringLiteral("plain/users.ini"));
    } else {
        QVERIFY(putFile(target, initial));
        if (setup == QLatin1String("read-only"))
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    }

    QString message;
    try {
        if (operation == QLatin1String("write"))
            IniProfile::write(target, section, key, value);
        else if (operation == QLatin1String("writeMany"))
            IniProfile::writeMany(target, {{"a", "k", "2"}, {section, key, value}});
        else
            IniProfile::eraseSection(target, section);
    } catch (const RuntimeError &e) {
        message = e.message();
    }
    QCOMPARE(message, unableToWrite(target));

    if (setup == QLatin1String("file") || setup == QLatin1String("read-only"))
        QCOMPARE(fileBytes(target), initial);
    else if (setup == QLatin1String("folder"))
        QVERIFY(QFileInfo(target).isDir());
    else
        QVERIFY(!QFileInfo::exists(target));
    QVERIFY(!QFileInfo::exists(FileLock::lockPath(target)));
}

void tst_IniProfile::lockHeldElsewhere()
{
    const QByteArray initial("[a]\r\nk=1\r\n");
    QVERIFY(putFile(path(), initial));
    // A lock that can never be taken: something that is no lock file stands
    // in its place.
    QCOMPARE(::mkfifo(QFile::encodeName(FileLock::lockPath(path())).constData(), 0600), 0);
    QString message;
    try {
        IniProfile::write(path(), "a", "k", "2");
    } catch (const RuntimeError &e) {
        message = e.message();
    }
    // The refusal comes at once and names what stands in the lock's place.
    QVERIFY2(message.startsWith(unableToWrite(path()) + u'\n'), qPrintable(message));
    QVERIFY2(message.contains(QDir::toNativeSeparators(FileLock::lockPath(path()))),
             qPrintable(message));
    QCOMPARE(fileBytes(path()), initial);
}

void tst_IniProfile::writeManyMatchesSingleWrites_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("initial");
    QTest::addColumn<QList<IniProfile::Entry>>("entries");

    QList<IniProfile::Entry> registration{{"\xC8\xE2\xE0\xED", "password", "\"pw\""}};
    for (int k = 1; k <= 12; ++k)
        registration.append(
            {"\xC8\xE2\xE0\xED", "test" + QByteArray::number(k), k == 1 ? "\"1\"" : "\"0\""});
    QTest::newRow("registration onto new file") << false << QByteArray() << registration;
    QTest::newRow("registration onto file without final line end")
        << true << QByteArray("[a]\r\npassword=x") << registration;
    QTest::newRow("registration onto existing user in other case")
        << true << QByteArray("; users\r\n[\xE8\xE2\xE0\xED]\r\ntest3 = 4\r\n\r\n[b]\r\nk=1\r\n")
        << registration;
    QTest::newRow("same key twice, case mixed")
        << true << QByteArray("[s]\r\nk=0\r\n")
        << QList<IniProfile::Entry>{{"S", "K", "1"}, {"s", "new", "2"}, {"s", "k", "3"},
                                    {"t", "a", "4"}, {"T", "A", "5"},   {"S", "NEW", "6"}};
    QTest::newRow("into first of duplicate sections")
        << true << QByteArray("[d]\nx=1\n; c\n[D]\ny=2\n")
        << QList<IniProfile::Entry>{{"d", "y", "3"}, {"D", "x", "4"}, {"e", "z", "5"},
                                    {"d", "w", "6"}, {"e", "z", "7"}, {"d", "y", "8"}};
}

void tst_IniProfile::writeManyMatchesSingleWrites()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, initial);
    QFETCH(QList<IniProfile::Entry>, entries);

    const QString batched = path(QStringLiteral("batched.ini"));
    const QString single = path(QStringLiteral("single.ini"));
    if (exists) {
        QVERIFY(putFile(batched, initial));
        QVERIFY(putFile(single, initial));
    }
    IniProfile::writeMany(batched, entries);
    for (const IniProfile::Entry &e : entries)
        IniProfile::write(single, e.section, e.key, e.value);
    QCOMPARE(fileBytes(batched), fileBytes(single));
    for (const IniProfile::Entry &e : entries) {
        const QByteArray got = IniProfile::read(batched, e.section, e.key, Missing);
        QVERIFY(got != Missing);
    }
}

void tst_IniProfile::writeManyMatchesOnRandomFiles()
{
    QRandomGenerator rng(20240517);
    for (int round = 0; round < 6; ++round) {
        const QByteArray initial = randomIni(rng, 30 + round * 20);
        QList<IniProfile::Entry> entries;
        for (int i = 0; i < 150; ++i) {
            QByteArray section = "s" + QByteArray::number(rng.bounded(80 + round * 20));
            if (rng.bounded(2))
                section = section.toUpper();
            const QByteArray key =
                (rng.bounded(2) ? "k" : "K") + QByteArray::number(rng.bounded(70));
            entries.append({section, key, QByteArray::number(i)});
        }
        const QString batched = path(QStringLiteral("batched.ini"));
        const QString single = path(QStringLiteral("single.ini"));
        QVERIFY(putFile(batched, initial));
        QVERIFY(putFile(single, initial));
        IniProfile::writeMany(batched, entries);
        for (const IniProfile::Entry &e : entries)
            IniProfile::write(single, e.section, e.key, e.value);
        QCOMPARE(fileBytes(batched), fileBytes(single));

        // The last write of each name is what reads back.
        QHash<QByteArray, QByteArray> last;
        for (const IniProfile::Entry &e : entries)
            last.insert(e.section.toLower() + '\n' + e.key.toLower(), e.value);
        for (auto it = last.cbegin(); it != last.cend(); ++it) {
            const QList<QByteArray> names = it.key().split('\n');
            QCOMPARE(IniProfile::read(batched, names[0], names[1], Missing), it.value());
        }
    }
}

void tst_IniProfile::nothingCachedBetweenCalls()
{
    IniProfile::write(path(), "a", "k", "1");
    QVERIFY(putFile(path(), fileBytes(path()) + "; added by hand\r\n[b]\r\nx=9\r\n"));
    QCOMPARE(IniProfile::read(path(), "b", "x", Missing), QByteArray("9"));
    IniProfile::write(path(), "a", "j", "2");
    QCOMPARE(fileBytes(path()),
             QByteArray("[a]\r\nk=1\r\nj=2\r\n; added by hand\r\n[b]\r\nx=9\r\n"));
    QVERIFY(QFile::remove(path()));
    QCOMPARE(IniProfile::read(path(), "a", "k", Missing), Missing);
    IniProfile::write(path(), "b", "x", "3");
    QCOMPARE(fileBytes(path()), QByteArray("[b]\r\nx=3\r\n"));
}

void tst_IniProfile::leavesNoFilesBehind()
{
    IniProfile::write(path(), "a", "k", "1");
    IniProfile::writeMany(path(), {{"a", "j", "2"}, {"b", "k", "3"}});
    IniProfile::eraseSection(path(), "a");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("users.ini")});
    QCOMPARE(fileBytes(path()), QByteArray("[b]\r\nk=3\r\n"));
}

QTEST_GUILESS_MAIN(tst_IniProfile)
#include "tst_iniprofile.moc"
