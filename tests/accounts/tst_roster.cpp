// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"
#include "MemoryStore.h"
#include "Roster.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRoster : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
};

namespace {

QByteArray cp1251(const QString &text)
{
    return CodePage::fromUnicode(text);
}

} // namespace

void TestRoster::read_data()
{
    QTest::addColumn<QByteArray>("roster");
    QTest::addColumn<QString>("columns"); // as the caller names them
    QTest::addColumn<bool>("header");
    // "name=password" per entry read, "name=" where the password is made.
    QTest::addColumn<QStringList>("entries");
    // "line: start of the text" per refusal, in order.
    QTest::addColumn<QStringList>("refusals");
    QTest::newRow("UTF-8, both separators, a blank line")
        << QByteArray("ФИО;Пароль\nВера; vera-pw\n\nГлеб\tgleb-pw\r\nДина\n") << QString() << true
        << QStringList{u"Вера=vera-pw"_s, u"Глеб=gleb-pw"_s, u"Дина="_s} << QStringList{};
    QTest::newRow("Windows-1251") << cp1251(u"Имя;Пароль\nВера;vera-pw\nГлеб;gleb-pw\nДина\n"_s)
                                  << QString() << true
                                  << QStringList{u"Вера=vera-pw"_s, u"Глеб=gleb-pw"_s, u"Дина="_s}
                                  << QStringList{};
    QTest::newRow("a spreadsheet's columns, a group between")
        << QByteArray("№;ФИО;Группа;Пароль\n1;Вера;ИВТ-21;vera-pw\n2;Глеб;ИВТ-21;gleb-pw\n"
                      "3;Дина;ИВТ-21;\n")
        << QString() << true << QStringList{u"Вера=vera-pw"_s, u"Глеб=gleb-pw"_s, u"Дина="_s}
        << QStringList{};
    QTest::newRow("a group column is no password")
        << QByteArray("ФИО;Группа\nВера;ИВТ-21\nГлеб;ИВТ-21\n") << QString() << true
        << QStringList{u"Вера="_s, u"Глеб="_s} << QStringList{};
    QTest::newRow("the name's parts in their order")
        << QByteArray("Фамилия;Имя;Отчество\nИванова;Вера;Петровна\n") << QString() << true
        << QStringList{u"Иванова Вера Петровна="_s} << QStringList{};
    QTest::newRow("names alone, no header") << QByteArray("Вера\nГлеб\n") << QString() << false
                                            << QStringList{u"Вера="_s, u"Глеб="_s} << QStringList{};
    QTest::newRow("columns named by the caller")
        << QByteArray("Вера;vera-pw\n") << u"ФИО,Пароль"_s << false
        << QStringList{u"Вера=vera-pw"_s} << QStringList{};
    // Guessed, the group would become the password: nothing is read.
    QTest::newRow("columns without a header")
        << QByteArray("Вера;vera-pw\nГлеб;ИВТ-21\n") << QString() << false << QStringList{}
        << QStringList{u"0: в списке несколько столбцов, а первая строка их не называет"_s};
    QTest::newRow("a column the caller names wrong")
        << QByteArray("Вера;x\n") << u"ФИО,Возраст"_s << false << QStringList{}
        << QStringList{u"0: столбец «Возраст» неизвестен"_s};
    QTest::newRow("every refusal with its line")
        << QByteArray("ФИО;Пароль\nВера\nanna\n[x]\nадмин\nвЕРА\nЖанна;??????\nadmin\n;pw\n")
        << QString() << true << QStringList{u"Вера="_s, u"админ="_s}
        << QStringList{u"3: Пользователь с таким именем уже зарегистрирован."_s,
                       u"4: Имя пользователя не может содержать"_s,
                       u"6: имя уже есть в строке 2."_s,
                       u"7: Пароль \"??????\" нельзя использовать"_s,
                       u"8: Это имя занято администратором."_s,
                       u"9: нет имени."_s};
}

void TestRoster::read()
{
    QFETCH(QByteArray, roster);
    QFETCH(QString, columns);
    QFETCH(bool, header);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, refusals);
    MemoryStore store;
    store.addUser("anna", "pw");
    const Roster::Reading reading = Roster::read(store, roster, "admin", columns);
    QCOMPARE(reading.header, header);
    QStringList read;
    for (const Roster::Entry &entry : reading.entries) {
        read.append(CodePage::toUnicode(entry.name) + u'=' +
                    (entry.generated ? QString() : CodePage::toUnicode(entry.password)));
        if (entry.generated) {
            QCOMPARE(entry.password.size(), 8);
            for (const char c : entry.password)
                QVERIFY(Roster::PasswordAlphabet.contains(c));
        }
    }
    QCOMPARE(read, entries);
    // Columns that cannot be told apart are refused as a whole: line 0.
    QStringList got;
    for (const Roster::Refusal &refusal : reading.refusals)
        got.append(QString::number(refusal.line) + u": "_s + refusal.text);
    if (!reading.unnamedColumns.isEmpty())
        got.append(u"0: "_s + reading.unnamedColumns);
    QCOMPARE(got.size(), refusals.size());
    for (qsizetype i = 0; i < refusals.size(); ++i)
        QVERIFY2(got[i].startsWith(refusals[i]), qPrintable(got[i]));
    // Reading writes nothing.
    QCOMPARE(store.list, QList<QByteArray>{"anna"});
}

QTEST_APPLESS_MAIN(TestRoster)
#include "tst_roster.moc"
