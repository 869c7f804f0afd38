// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelSwitch.h"

namespace {

constexpr PanelSwitch::State K = PanelSwitch::State::Keep;
constexpr PanelSwitch::State S = PanelSwitch::State::Show;
constexpr PanelSwitch::State H = PanelSwitch::State::Hide;

} // namespace

const std::array<PanelSwitch::Command, 10> PanelSwitch::Commands = {
    Command::FormShow,           Command::PageRule,  Command::Login,
    Command::NaFormuAvtorizazii, Command::TestStart, Command::ProgressView,
    Command::ProgressBack,       Command::TestLog,   Command::AdminSettings,
    Command::SettingsBack};

PanelSwitch::Row PanelSwitch::row(Command command)
{
    // Columns: Panel1, Panel2, Panel3, Panel4, Panel6, Panel7. Only the two
    // "Назад" commands hide the settings panel, so while it is up it stays in
    // front of whatever another command shows.
    switch (command) {
    case Command::FormShow:
        return {{H, H, H, S, H, K}, Menus::HideContents};
    case Command::PageRule:
        return {{S, H, H, H, H, K}, Menus::Unchanged};
    case Command::Login:
        return {{S, H, H, H, H, K}, Menus::ByRole};
    case Command::NaFormuAvtorizazii:
        return {{K, K, K, S, K, K}, Menus::Unchanged};
    case Command::TestStart:
        return {{H, H, S, H, H, K}, Menus::HideContentsAndProgress};
    case Command::ProgressView:
        return {{H, S, H, H, H, K}, Menus::Unchanged};
    case Command::ProgressBack:
        return {{S, H, H, H, H, K}, Menus::ShowContentsAndProgress};
    case Command::TestLog:
        return {{H, H, H, H, S, K}, Menus::Unchanged};
    case Command::AdminSettings:
        return {{H, H, H, H, H, S}, Menus::Unchanged};
    case Command::SettingsBack:
        return {{S, K, K, K, K, H}, Menus::Unchanged};
    }
    return {{K, K, K, K, K, K}, Menus::Unchanged};
}

std::optional<PanelSwitch::Panel> PanelSwitch::front(const std::array<bool, PanelCount> &shown)
{
    for (Panel p : {Panel4, Panel7, Panel6, Panel1, Panel3, Panel2})
        if (shown[p])
            return p;
    return std::nullopt;
}

QString PanelSwitch::panelName(Panel panel)
{
    static const char *const names[PanelCount] = {"Panel1", "Panel2", "Panel3",
                                                  "Panel4", "Panel6", "Panel7"};
    return QString::fromLatin1(names[panel]);
}
