// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <optional>

// Which workspace panels every screen-switching command shows and hides, and
// what it does to the menus. The panels lie on top of each other; a command
// only sets the panels its row names and leaves the others as they are, so
// the front-most visible panel is what the user sees.
class PanelSwitch
{
public:
    enum class Command
    {
        FormShow,           // the main window comes up: the login screen
        PageRule,           // every course page, the "<<Назад" buttons
        Login,              // a completed login of either role
        NaFormuAvtorizazii, // "На форму авторизации"
        TestStart,          // Button2Click
        ProgressView,       // NiClick
        ProgressBack,       // SpeedButton4Click on the progress panel
        TestLog,            // N30Click
        AdminSettings,      // NtunClick
        SettingsBack        // SpeedButton6Click and N17Click
    };

    enum class State
    {
        Keep,
        Show,
        Hide
    };

    enum class Menus
    {
        Unchanged,
        HideContents,            // N0 hidden
        HideContentsAndProgress, // N0 and Ni hidden
        ShowContentsAndProgress, // N0 and Ni shown
        ByRole                   // the login shows its role's groups itself
    };

    // The panels in the order of the switching table.
    enum Panel
    {
        Panel1,
        Panel2,
        Panel3,
        Panel4,
        Panel6,
        Panel7,
        PanelCount
    };

    struct Row
    {
        std::array<State, PanelCount> panels;
        Menus menus;
    };

    static const std::array<Command, 10> Commands;

    static Row row(Command command);

    // The front-most of the shown panels, by the stacking order; none when
    // no panel is shown.
    static std::optional<Panel> front(const std::array<bool, PanelCount> &shown);

    // "Panel1" … "Panel7", the object names of the panels.
    static QString panelName(Panel panel);
};
