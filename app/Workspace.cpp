// SPDX-License-Identifier: GPL-3.0-or-later
#include "Workspace.h"

#include "Look.h"

#include <QFrame>

Workspace::Panels Workspace::build(QWidget *clientArea)
{
    struct Layout
    {
        QColor colour;
        QRect geometry;
        bool visible;
    };
    const Layout layouts[PanelSwitch::PanelCount] = {
        {Look::buttonFace(), QRect(0, 0, 921, 737), true},
        {Look::teal(), QRect(0, -8, 921, 745), true},
        {Look::skyBlue(), QRect(0, 0, 921, 737), true},
        {Look::scrollBar(), QRect(-8, 0, 921, 737), true},
        {Look::buttonFace(), QRect(1, 1, 920, 736), false},
        {Look::skyBlue(), QRect(1, 1, 920, 736), false},
    };
    Panels panels{};
    for (int i = 0; i < PanelSwitch::PanelCount; ++i) {
        auto *frame = new QFrame(clientArea);
        frame->setObjectName(PanelSwitch::panelName(PanelSwitch::Panel(i)));
        frame->setGeometry(layouts[i].geometry);
        Look::setBackground(frame, layouts[i].colour);
        Look::bevel(frame);
        frame->setVisible(layouts[i].visible);
        panels[size_t(i)] = frame;
    }
    // Each raise puts the panel in front of those raised before it.
    for (PanelSwitch::Panel p : {PanelSwitch::Panel2, PanelSwitch::Panel3, PanelSwitch::Panel1,
                                 PanelSwitch::Panel6, PanelSwitch::Panel7, PanelSwitch::Panel4})
        panels[p]->raise();
    return panels;
}
