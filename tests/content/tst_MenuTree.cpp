// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessKeys.h"
#include "MenuTree.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using Kind = MenuTree::Kind;

class tst_MenuTree : public QObject
{
    Q_OBJECT

private slots:
    void namesAreUnique();
    void topLevel();
    void captions_data();
    void captions();
    void groupSizes_data();
    void groupSizes();
    void pagePaths();
    void presentations();
    void hiddenAtStart();
    void pictures();
    void findIgnoresCase();

    void accessKeys_data();
    void accessKeys();
    void accessKeysPerMenuLevel();
};

void tst_MenuTree::namesAreUnique()
{
    QSet<QString> seen;
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        QVERIFY2(!seen.contains(entry.name.toLower()), qPrintable(entry.name));
        seen.insert(entry.name.toLower());
        if (!entry.parent.isEmpty()) {
            const MenuTree::Entry *parent = MenuTree::find(entry.parent);
            QVERIFY(parent);
            QCOMPARE(parent->kind, Kind::Group);
        }
        QVERIFY(!entry.caption.contains(u'&'));
    }
    QCOMPARE(seen.size(), 127);
}

void tst_MenuTree::topLevel()
{
    QStringList names;
    QStringList shown;
    for (const MenuTree::Entry &entry : MenuTree::children(QString())) {
        names.append(entry.name);
        if (entry.visible)
            shown.append(entry.name);
    }
    QCOMPARE(names, QStringList({u"N0"_s, u"nlab"_s, u"Nprak"_s, u"N35"_s, u"Nrk"_s, u"N8"_s,
                                 u"N29"_s, u"N32"_s, u"N18"_s, u"Nadm"_s, u"NaFormuAvtorizazii"_s,
                                 u"N21"_s, u"Ne"_s}));
    QCOMPARE(shown, QStringList({u"N35"_s, u"N8"_s, u"NaFormuAvtorizazii"_s, u"N21"_s, u"Ne"_s}));
    QCOMPARE(MenuTree::find(u"Ne"_s)->kind, Kind::Operation);
    QCOMPARE(MenuTree::find(u"NaFormuAvtorizazii"_s)->kind, Kind::Operation);
    // notch is the one group inside a group.
    QStringList nested;
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (entry.kind == Kind::Group && !entry.parent.isEmpty())
            nested.append(entry.name);
    }
    QCOMPARE(nested, QStringList({u"notch"_s}));
    QCOMPARE(MenuTree::find(u"notch"_s)->parent, u"Nadm"_s);
    QCOMPARE(MenuTree::find(u"N30"_s)->parent, u"notch"_s);
}

void tst_MenuTree::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("N0") << u"N0"_s << u"Содержание"_s;
    QTest::newRow("NaFormuAvtorizazii") << u"NaFormuAvtorizazii"_s << u"На форму авторизации"_s;
    QTest::newRow("doubled blank, №") << u"N13LL11"_s << u"Лабораторная  работа №13"_s;
    QTest::newRow("test №") << u"test10"_s << u"Тестирование №10"_s;
    QTest::newRow("en dash") << u"N22"_s << u"Тема 2 – 3. Сетевые операционные системы"_s;
    QTest::newRow("en dash 13-14")
        << u"N7"_s << u"Тема 13 – 14. Мониторинг. Мониторинг сетевых протоколов и служб"_s;
    QTest::newRow("hyphen, underscores")
        << u"N31"_s << u"Тема 4-5. Сетевые протоколы и службы_ протокол TCP_IP, служба DNS"_s;
    QTest::newRow("no blank after point") << u"N312"_s << u"7.Мультипроцессорные системы"_s;
    QTest::newRow("same as N34") << u"N39"_s << u"5. Обеспечение информационной безопасности"_s;
    QTest::newRow("cut short 14") << u"Nv40"_s << u"14 Автомат принимает слово - определе"_s;
    QTest::newRow("cut short 19") << u"Nvv24"_s << u"19 Недетерминированный конечный авто"_s;
    QTest::newRow("cut short 5")
        << u"V1"_s << u"5 Разрешимые и перечисляемые множества. Введение в теорию конечных автом"_s;
    QTest::newRow("two blanks video") << u"N20"_s << u"6  Свойства и варианты конечных автоматов"_s;
    QTest::newRow("video point") << u"N221"_s << u"22. Графы для цифровых автоматов"_s;
    QTest::newRow("book doubled blank")
        << u"N25"_s << u"Selvar, Tomrin Языки программирования и методы  трансляции"_s;
    QTest::newRow("book point") << u"N46"_s << u"Quenda Теория алгаритмов и автоматов."_s;
    QTest::newRow("long practical")
        << u"N122"_s
        << u"Тема 15. Автоматизация развертывания операционной системы и приложений при "
           u"использовании службы удаленной установки"_s;
    QTest::newRow("slash") << u"N115"_s << u"СРОП 1. Сетевые ресурсы Windows/Linux"_s;
    QTest::newRow("report") << u"N30"_s << u"Отчет по проведению тестов"_s;
    QTest::newRow("back") << u"N17"_s << u"Назад"_s;
}

void tst_MenuTree::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    const MenuTree::Entry *entry = MenuTree::find(name);
    QVERIFY(entry);
    QCOMPARE(entry->caption, caption);
}

void tst_MenuTree::groupSizes_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("size");
    QTest::newRow("N0") << u"N0"_s << 21;
    QTest::newRow("nlab") << u"nlab"_s << 15;
    QTest::newRow("Nprak") << u"Nprak"_s << 12;
    QTest::newRow("N35") << u"N35"_s << 5;
    QTest::newRow("Nrk") << u"Nrk"_s << 3;
    QTest::newRow("N8") << u"N8"_s << 5;
    QTest::newRow("N29") << u"N29"_s << 20;
    QTest::newRow("N32") << u"N32"_s << 21;
    QTest::newRow("N18") << u"N18"_s << 3;
    QTest::newRow("Nadm") << u"Nadm"_s << 5;
    QTest::newRow("notch") << u"notch"_s << 1;
    QTest::newRow("N21") << u"N21"_s << 3;
}

void tst_MenuTree::groupSizes()
{
    QFETCH(QString, group);
    QFETCH(int, size);
    QCOMPARE(MenuTree::children(group).size(), size);
}

void tst_MenuTree::pagePaths()
{
    // Topics and their tests alternate; the i-th practical class opens i.htm
    // whatever number its caption carries; the video number is the leading
    // number of the caption.
    const QList<MenuTree::Entry> contents = MenuTree::children(u"N0"_s);
    for (int k = 1; k <= 10; ++k) {
        const MenuTree::Entry &topic = contents.at(2 * (k - 1));
        const MenuTree::Entry &test = contents.at(2 * (k - 1) + 1);
        QCOMPARE(topic.kind, Kind::Page);
        const QString expected =
            k <= 6 ? u"\\data\\info\\lig-%1.html"_s.arg(k) : u"\\data\\info\\%1.htm"_s.arg(k);
        QCOMPARE(topic.argument, expected);
        QCOMPARE(test.kind, Kind::Test);
        QCOMPARE(test.name, u"test%1"_s.arg(k));
    }
    QCOMPARE(contents.last().argument, u"\\data\\info\\vopr.htm"_s);

    const QList<MenuTree::Entry> labs = MenuTree::children(u"nlab"_s);
    for (int n = 1; n <= 15; ++n) {
        QCOMPARE(labs.at(n - 1).argument, u"\\data\\labs\\%1.htm"_s.arg(n));
        QVERIFY(labs.at(n - 1).caption.endsWith(u"№%1"_s.arg(n)));
    }
    const QList<MenuTree::Entry> prak = MenuTree::children(u"Nprak"_s);
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(prak.at(i - 1).argument, u"\\data\\prak\\%1.htm"_s.arg(i));
    const QList<MenuTree::Entry> srop = MenuTree::children(u"N35"_s);
    for (int n = 1; n <= 5; ++n)
        QCOMPARE(srop.at(n - 1).argument, u"\\data\\SROP\\%1.htm"_s.arg(n));
    const QRegularExpression leading(u"^(\\d+)"_s);
    QStringList numbers;
    for (const MenuTree::Entry &video : MenuTree::children(u"N32"_s)) {
        const QString n = leading.match(video.caption).captured(1);
        numbers.append(n);
        QCOMPARE(video.argument, u"\\data\\video\\%1.htm"_s.arg(n));
    }
    QVERIFY(!numbers.contains(u"3"_s));
    QCOMPARE(numbers.first(), u"1"_s);
    QCOMPARE(numbers.last(), u"22"_s);

    QCOMPARE(MenuTree::find(u"N28"_s)->argument,
             u"\\data\\info\\Теория автоматов, языков и вычислений_Tarvik.pdf"_s);
    QCOMPARE(MenuTree::find(u"N27"_s)->argument, u"\\data\\help\\sod.htm"_s);
    QCOMPARE(MenuTree::find(u"N16"_s)->argument, u"\\data\\prak\\TestRK.htm"_s);
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (entry.kind == Kind::Page)
            QVERIFY2(entry.argument.startsWith(u"\\data\\"_s), qPrintable(entry.name));
    }
}

void tst_MenuTree::presentations()
{
    const QList<MenuTree::Entry> shows = MenuTree::children(u"N29"_s);
    QStringList programTwo;
    for (const MenuTree::Entry &show : shows) {
        QCOMPARE(show.kind, Kind::Presentation);
        if (show.argument.startsWith(MenuTree::ProgramTwo + u" /s "_s))
            programTwo.append(show.name);
        else
            QVERIFY(show.argument.startsWith(MenuTree::ProgramOne + u" /s "_s));
    }
    QCOMPARE(programTwo, QStringList({u"N40"_s, u"N43"_s}));
    QCOMPARE(MenuTree::find(u"NN210"_s)->argument,
             u"C:\\Program Files (x86)\\Microsoft Office\\Office14\\POWERPNT.EXE /s "
             u"Data\\prezent\\02.pps"_s);
    QCOMPARE(MenuTree::find(u"N110"_s)->argument,
             MenuTree::ProgramOne + u" /s Data\\Prezent\\1.ppsx"_s);
    QCOMPARE(MenuTree::find(u"N40"_s)->argument,
             u"C:\\Program Files\\Microsoft Office\\OFFICE11\\POWERPNT.EXE /s "
             u"Data\\prezent\\333.pps"_s);
}

void tst_MenuTree::hiddenAtStart()
{
    QStringList hidden;
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (!entry.visible && !entry.parent.isEmpty())
            hidden.append(entry.name);
    }
    QCOMPARE(hidden,
             QStringList({u"N39"_s, u"test6"_s, u"N312"_s, u"test7"_s, u"N313"_s, u"test8"_s,
                          u"N81"_s, u"test9"_s, u"N4"_s, u"test10"_s, u"N6"_s, u"N23"_s, u"Ni"_s,
                          u"notch"_s, u"Ntun"_s, u"nred"_s, u"Nclass"_s}));
}

void tst_MenuTree::pictures()
{
    QStringList without;
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (!entry.hasPicture() && !entry.parent.isEmpty())
            without.append(entry.name);
        if (entry.parent.isEmpty())
            QVERIFY(!entry.hasPicture());
    }
    QCOMPARE(without, QStringList({u"N6"_s, u"N53"_s}));
}

void tst_MenuTree::findIgnoresCase()
{
    QCOMPARE(MenuTree::find(u"n2"_s)->name, u"N2"_s);
    QCOMPARE(MenuTree::find(u"N1"_s)->name, u"n1"_s);
    QCOMPARE(MenuTree::find(u"TEST3"_s)->name, u"test3"_s);
    QCOMPARE(MenuTree::find(u"nadm"_s)->name, u"Nadm"_s);
    QVERIFY(!MenuTree::find(u"N5"_s));
    QVERIFY(!MenuTree::find(QString()));
}

void tst_MenuTree::accessKeys_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("marked");
    QTest::newRow("first letters")
        << QStringList({u"Файл"_s, u"Правка"_s}) << QStringList({u"&Файл"_s, u"&Правка"_s});
    QTest::newRow("taken letter, case ignored")
        << QStringList({u"Помощь"_s, u"печать"_s, u"ПОП"_s})
        << QStringList({u"&Помощь"_s, u"п&ечать"_s, u"П&ОП"_s});
    QTest::newRow("digits and signs skipped") << QStringList({u"1. Введение"_s, u"№2 – в"_s})
                                              << QStringList({u"1. &Введение"_s, u"№2 – в"_s});
    QTest::newRow("no letter free") << QStringList({u"ab"_s, u"ba"_s, u"AB"_s, u"c"_s})
                                    << QStringList({u"&ab"_s, u"&ba"_s, u"AB"_s, u"&c"_s});
    QTest::newRow("ampersand doubled")
        << QStringList({u"R&D"_s, u"&"_s}) << QStringList({u"&R&&D"_s, u"&&"_s});
    QTest::newRow("empty") << QStringList({QString()}) << QStringList({QString()});
}

void tst_MenuTree::accessKeys()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, marked);
    QCOMPARE(AccessKeys::assign(captions), marked);
}

void tst_MenuTree::accessKeysPerMenuLevel()
{
    QStringList groups = {QString()};
    for (const MenuTree::Entry &entry : MenuTree::entries()) {
        if (entry.kind == Kind::Group)
            groups.append(entry.name);
    }
    int levels = 0;
    for (const QString &group : groups) {
        QStringList captions;
        for (const MenuTree::Entry &entry : MenuTree::children(group))
            captions.append(entry.caption);
        const QStringList marked = AccessKeys::assign(captions);
        QCOMPARE(marked.size(), captions.size());
        QSet<QChar> letters;
        for (qsizetype i = 0; i < marked.size(); ++i) {
            QString plain = marked.at(i);
            plain.remove(plain.indexOf(u'&'), plain.contains(u'&') ? 1 : 0);
            QCOMPARE(plain, captions.at(i));
            const QChar letter = AccessKeys::letterOf(marked.at(i));
            if (letter.isNull())
                continue;
            QVERIFY(letter.isLetter());
            QVERIFY2(!letters.contains(letter), qPrintable(captions.at(i)));
            letters.insert(letter);
        }
        ++levels;
    }
    QCOMPARE(levels, 13);
}

QTEST_GUILESS_MAIN(tst_MenuTree)
#include "tst_MenuTree.moc"
