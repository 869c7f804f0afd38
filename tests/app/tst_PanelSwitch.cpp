// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelSwitch.h"

#include <QTest>

using Command = PanelSwitch::Command;
using State = PanelSwitch::State;
using Menus = PanelSwitch::Menus;

Q_DECLARE_METATYPE(PanelSwitch::Command)
Q_DECLARE_METATYPE(PanelSwitch::Menus)

class tst_PanelSwitch : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void onlyTheBackCommandsHideTheSettingsPanel();
    void everyCommandHasItsRow();
    void frontPanel_data();
    void frontPanel();
};

// Each row as the screen table reads: "S" show, "H" hide, "-" unchanged, for
// Panel1, Panel2, Panel3, Panel4, Panel6, Panel7.
void tst_PanelSwitch::rows_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("panels");
    QTest::addColumn<Menus>("menus");
    QTest::newRow("FormShow") << Command::FormShow << "HHHSH-" << Menus::HideContents;
    QTest::newRow("page rule") << Command::PageRule << "SHHHH-" << Menus::Unchanged;
    QTest::newRow("login") << Command::Login << "SHHHH-" << Menus::ByRole;
    QTest::newRow("NaFormuAvtorizazii")
        << Command::NaFormuAvtorizazii << "---S--" << Menus::Unchanged;
    QTest::newRow("Button2Click") << Command::TestStart << "HHSHH-"
                                  << Menus::HideContentsAndProgress;
    QTest::newRow("NiClick") << Command::ProgressView << "HSHHH-" << Menus::Unchanged;
    QTest::newRow("SpeedButton4Click")
        << Command::ProgressBack << "SHHHH-" << Menus::ShowContentsAndProgress;
    QTest::newRow("N30Click") << Command::TestLog << "HHHHS-" << Menus::Unchanged;
    QTest::newRow("NtunClick") << Command::AdminSettings << "HHHHHS" << Menus::Unchanged;
    QTest::newRow("SpeedButton6Click") << Command::SettingsBack << "S----H" << Menus::Unchanged;
}

// Which panels are shown, as "1" or "0" for Panel1, Panel2, Panel3, Panel4,
// Panel6, Panel7, and the one the user sees ("" for none).
void tst_PanelSwitch::frontPanel_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("front");
    QTest::newRow("as created") << "111100"
                                << "Panel4";
    QTest::newRow("after login") << "111000"
                                 << "Panel1";
    QTest::newRow("settings over the rest") << "111011"
                                            << "Panel7";
    QTest::newRow("login over settings") << "000101"
                                         << "Panel4";
    QTest::newRow("log over the page") << "100010"
                                       << "Panel6";
    QTest::newRow("test over progress") << "011000"
                                        << "Panel3";
    QTest::newRow("progress alone") << "010000"
                                    << "Panel2";
    QTest::newRow("none") << "000000"
                          << "";
}

void tst_PanelSwitch::frontPanel()
{
    QFETCH(QString, shown);
    QFETCH(QString, front);
    std::array<bool, PanelSwitch::PanelCount> visible{};
    for (int i = 0; i < PanelSwitch::PanelCount; ++i)
        visible[size_t(i)] = shown.at(i) == u'1';
    const auto got = PanelSwitch::front(visible);
    QCOMPARE(got ? PanelSwitch::panelName(*got) : QString(), front);
}

void tst_PanelSwitch::rows()
{
    QFETCH(Command, command);
    QFETCH(QString, panels);
    QFETCH(Menus, menus);
    const PanelSwitch::Row row = PanelSwitch::row(command);
    QString got;
    for (State state : row.panels)
        got += state == State::Show ? u'S' : state == State::Hide ? u'H' : u'-';
    QCOMPARE(got, panels);
    QCOMPARE(row.menus, menus);
}

void tst_PanelSwitch::onlyTheBackCommandsHideTheSettingsPanel()
{
    for (Command command : PanelSwitch::Commands) {
        const PanelSwitch::Row row = PanelSwitch::row(command);
        const bool hidesSettings = row.panels[PanelSwitch::Panel7] == State::Hide;
        QCOMPARE(hidesSettings, command == Command::SettingsBack);
        if (hidesSettings)
            QCOMPARE(row.panels[PanelSwitch::Panel1], State::Show);
    }
}

void tst_PanelSwitch::everyCommandHasItsRow()
{
    // Every command brings exactly one panel up.
    for (Command command : PanelSwitch::Commands) {
        const PanelSwitch::Row row = PanelSwitch::row(command);
        QVERIFY(std::any_of(row.panels.begin(), row.panels.end(),
                            [](State s) { return s != State::Keep; }));
        int shown = 0;
        for (State s : row.panels)
            shown += s == State::Show ? 1 : 0;
        QCOMPARE(shown, 1);
    }
    QCOMPARE(PanelSwitch::Commands.size(), size_t(10));
}

QTEST_GUILESS_MAIN(tst_PanelSwitch)
#include "tst_PanelSwitch.moc"
