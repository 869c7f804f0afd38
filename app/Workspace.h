// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PanelSwitch.h"

#include <array>

class QFrame;
class QWidget;

// The main window's six workspace panels on its client area, each with its
// place, colour, bevel and first visibility, stacked front to back Panel4,
// Panel7, Panel6, Panel1, Panel3, Panel2.
class Workspace
{
public:
    using Panels = std::array<QFrame *, PanelSwitch::PanelCount>;

    static Panels build(QWidget *clientArea);
};
